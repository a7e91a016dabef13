#include "gui/preview/MediaPlayers.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/MessageBox.h"
#include "platform/IniFile.h"
#include "platform/PathText.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace orvelle::gui {

namespace {

constexpr const char* kDefaultPlayer = "mplayer";
/// Properties kept on each player process.
constexpr const char* kWatchedProperty = "orvelleWatched";
constexpr const char* kPlayingProperty = "orvelleHeardProgress";
constexpr const char* kStoppingProperty = "orvelleStopping";

/// The video player's window: a 16:9 picture of 326 x 189 pixels near the
/// preview pane; four decoding threads. The output driver is the system's
/// default.
QStringList defaultVideoArguments() {
    return {QStringLiteral("-aspect"), QStringLiteral("16:9"),    QStringLiteral("-lavdopts"),
            QStringLiteral("threads=4"), QStringLiteral("-geometry"), QStringLiteral("845:260"),
            QStringLiteral("-x"),        QStringLiteral("326"),      QStringLiteral("-y"),
            QStringLiteral("189")};
}

} // namespace

QString resolvePlayerProgram(const QString& name, const std::filesystem::path& programFolder) {
    const QString program = name.trimmed().isEmpty() ? QString::fromLatin1(kDefaultPlayer) : name.trimmed();
    if (QFileInfo(program).isAbsolute()) return program;
    const QString folder = QString::fromStdString(platform::pathText(programFolder));
    if (program.contains(QLatin1Char('/'))) return folder.isEmpty() ? program : folder + QLatin1Char('/') + program;
    // A program shipped beside us: on Windows "vlc" also finds "vlc.exe".
    if (!programFolder.empty()) {
        const QString shipped = QStandardPaths::findExecutable(program, {folder});
        if (!shipped.isEmpty()) return shipped;
    }
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

PlayerSettings PlayerSettings::fromProgramFolder(const std::filesystem::path& programFolder) {
    const auto ini = platform::IniFile::read(programFolder / "config.ini");
    PlayerSettings settings;
    settings.sound.program =
        resolvePlayerProgram(QString::fromStdString(ini.value("Players", "Sound", kDefaultPlayer)), programFolder);
    settings.video.program =
        resolvePlayerProgram(QString::fromStdString(ini.value("Players", "Video", kDefaultPlayer)), programFolder);
    settings.video.arguments = defaultVideoArguments();
    return settings;
}

MediaPlayers::MediaPlayers(QWidget* boxOwner, QObject* parent)
    : QObject(parent), m_boxOwner(boxOwner),
      m_settings(PlayerSettings::fromProgramFolder(platform::executableFolder())) {}

MediaPlayers::~MediaPlayers() {
    // The program is going away: no event loop will finish the stop, so wait
    // here, a bounded time per player.
    for (QProcess* process : m_processes) {
        process->disconnect(this);
        if (process->state() == QProcess::NotRunning) continue;
        process->terminate();
        if (!process->waitForFinished(kPlayerStopGraceMs)) {
            process->kill();
            process->waitForFinished(kPlayerStopGraceMs);
        }
    }
}

QProcess* MediaPlayers::startPlayer(const PlayerCommand& command, const QString& file, bool watched) {
    auto* process = new QProcess(this);
    process->setProgram(command.program);
    process->setArguments(QStringList(command.arguments) << file);
    process->setProperty(kWatchedProperty, watched);
    if (watched) {
        process->setProcessChannelMode(QProcess::MergedChannels);
    } else {
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
    }
    m_processes.push_back(process);

    connect(process, &QProcess::finished, this, [this, process] {
        const bool silent = process->property(kWatchedProperty).toBool() &&
                            !process->property(kPlayingProperty).toBool() &&
                            !process->property(kStoppingProperty).toBool();
        m_processes.erase(std::remove(m_processes.begin(), m_processes.end(), process), m_processes.end());
        process->deleteLater();
        if (silent) reportVideoFailure(process);
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        const bool watchedPlayer = process->property(kWatchedProperty).toBool();
        m_processes.erase(std::remove(m_processes.begin(), m_processes.end(), process), m_processes.end());
        process->deleteLater();
        emit startFailed(process->program());
        if (watchedPlayer) {
            reportVideoFailure(process);
        } else {
            const QString program = process->program();
            QPointer<QWidget> owner = m_boxOwner;
            QMetaObject::invokeMethod(
                this,
                [owner, program] {
                    showMessageBox(owner, MessageKind::Information,
                                   formatMessage(messageText(QStringLiteral("MSG0912")), {program}));
                },
                Qt::QueuedConnection);
        }
    });
    if (watched) watchVideo(process);
    process->start();
    return process;
}

void MediaPlayers::watchVideo(QProcess* process) {
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, process] {
        if (process->property(kPlayingProperty).toBool() || process->property(kStoppingProperty).toBool()) return;
        // Silent for too long: it will not play; it need not keep running.
        process->setProperty(kStoppingProperty, true);
        reportVideoFailure(process);
        process->terminate();
        QTimer::singleShot(kPlayerStopGraceMs, process, [process] { process->kill(); });
    });
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process, timer] {
        // Read everything, always: a player whose pipe fills up stops playing.
        const QByteArray output = process->readAllStandardOutput();
        if (process->property(kPlayingProperty).toBool()) return;
        if (output.contains('%')) {
            process->setProperty(kPlayingProperty, true);
            timer->stop();
            emit videoPlaying();
        }
    });
    timer->start(m_videoTimeoutMs);
}

void MediaPlayers::reportVideoFailure(QProcess* process) {
    emit videoFailed();
    // Shown after the process's signal has returned, never from inside it.
    QMetaObject::invokeMethod(this, &MediaPlayers::showVideoFailure, Qt::QueuedConnection);
}

void MediaPlayers::showVideoFailure() {
    showMessageBox(m_boxOwner, MessageKind::Information, messageText(QStringLiteral("MSG1207")));
}

bool MediaPlayers::playSound(const QString& file) {
    if (m_settings.sound.program.isEmpty()) return false;
    startPlayer(m_settings.sound, file, false);
    return true;
}

bool MediaPlayers::playVideo(const QString& file) {
    if (m_settings.video.program.isEmpty()) return false;
    startPlayer(m_settings.video, file, true);
    return true;
}

void MediaPlayers::stopPlayers() {
    for (QProcess* process : m_processes) {
        if (process->property(kStoppingProperty).toBool()) continue;
        process->setProperty(kStoppingProperty, true);
        if (process->state() == QProcess::NotRunning) continue;
        process->terminate();
        QTimer::singleShot(kPlayerStopGraceMs, process, [process] { process->kill(); });
    }
}

int MediaPlayers::runningCount() const { return int(m_processes.size()); }

std::vector<qint64> MediaPlayers::runningIds() const {
    std::vector<qint64> ids;
    for (const QProcess* process : m_processes)
        if (process->processId() > 0) ids.push_back(process->processId());
    return ids;
}

} // namespace orvelle::gui
