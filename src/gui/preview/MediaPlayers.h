#pragma once
/// The external sound and video players. A preview starts a player as a
/// child process with the prepared copy's path as its last argument; the
/// object remembers every process it started and ends exactly those (never a
/// process it did not start, whatever its name).
///
/// Programs come from "config.ini" beside the program ([Players] Sound=,
/// Video=; "mplayer" when unset). A bare name is looked up in the program
/// folder, then on the search path; a relative path is taken from the program
/// folder.
///
/// The video player is watched: it prints progress lines holding a "%" while
/// it plays. When it ends or kVideoStartTimeoutMs pass before any "%", the
/// user is told (message MSG1207) from the user-interface thread.

#include <QObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

class QProcess;
class QTimer;
class QWidget;

namespace orvelle::gui {

/// One player: its program and the arguments put before the file.
struct PlayerCommand {
    QString program;
    QStringList arguments;
};

/// The two players.
struct PlayerSettings {
    PlayerCommand sound;
    PlayerCommand video;

    /// Reads [Players] of `programFolder`/config.ini, with the usual arguments.
    static PlayerSettings fromProgramFolder(const std::filesystem::path& programFolder);
};

/// How long the video player may take to print its first progress line.
constexpr int kVideoStartTimeoutMs = 5000;
/// How long a player asked to end may take before it is killed.
constexpr int kPlayerStopGraceMs = 1000;

class MediaPlayers : public QObject {
    Q_OBJECT
public:
    /// `boxOwner` owns the message boxes (may be null). Settings from the
    /// running program's folder.
    explicit MediaPlayers(QWidget* boxOwner, QObject* parent = nullptr);
    /// Ends the players still running (bounded wait).
    ~MediaPlayers() override;

    void setSettings(PlayerSettings settings) { m_settings = std::move(settings); }
    const PlayerSettings& settings() const { return m_settings; }
    /// Changes the video start timeout (tests).
    void setVideoStartTimeout(int milliseconds) { m_videoTimeoutMs = milliseconds; }

    /// Starts the sound player on `file`; false when no program is set. A
    /// program that cannot be started is reported (startFailed, a message box).
    bool playSound(const QString& file);
    /// Starts the video player on `file` and watches it; false when no program is set.
    bool playVideo(const QString& file);

    /// Ends every player this object started and that still runs: asked to
    /// end, killed after kPlayerStopGraceMs. Does not wait.
    void stopPlayers();
    /// Players started by this object that have not ended yet.
    int runningCount() const;
    /// Process ids of those players (tests).
    std::vector<qint64> runningIds() const;

signals:
    /// The video player printed its first progress line.
    void videoPlaying();
    /// The video player ended or stayed silent; the message box follows.
    void videoFailed();
    /// A player could not be started.
    void startFailed(const QString& program);

private:
    QProcess* startPlayer(const PlayerCommand& command, const QString& file, bool watched);
    void watchVideo(QProcess* process);
    void reportVideoFailure(QProcess* process);
    void showVideoFailure();

    QWidget* m_boxOwner;
    PlayerSettings m_settings;
    int m_videoTimeoutMs = kVideoStartTimeoutMs;
    std::vector<QProcess*> m_processes; ///< every player started, until it ends
};

/// The program path a player name from the settings stands for.
QString resolvePlayerProgram(const QString& name, const std::filesystem::path& programFolder);

} // namespace orvelle::gui
