// The external players: started with the preview copy as last argument,
// the video player watched for its progress lines, a silent or missing
// player reported, and only the players we started ever stopped.

#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/preview/MediaPlayers.h"
#include "gui/support/GuiFixture.h"
#include "platform/PathText.h"
#include "support/TempFolder.h"

#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <cmath>

using namespace orvelle;
using namespace orvelle::gui;
namespace fs = std::filesystem;

namespace {

void put32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}
void put16(std::string& out, std::uint16_t value) {
    out.push_back(char(value & 0xFF));
    out.push_back(char(value >> 8));
}

/// One second of a 440 Hz tone: 8 kHz, mono, 16-bit PCM.
std::string oneSecondWave() {
    constexpr std::uint32_t rate = 8000;
    std::string samples;
    for (std::uint32_t i = 0; i < rate; ++i)
        put16(samples, std::uint16_t(std::int16_t(8000 * std::sin(2 * 3.14159265 * 440 * i / rate))));
    std::string wave = "RIFF";
    put32(wave, 36 + std::uint32_t(samples.size()));
    wave += "WAVEfmt ";
    put32(wave, 16);
    put16(wave, 1); // PCM
    put16(wave, 1); // mono
    put32(wave, rate);
    put32(wave, rate * 2);
    put16(wave, 2);
    put16(wave, 16);
    wave += "data";
    put32(wave, std::uint32_t(samples.size()));
    return wave + samples;
}

QString program(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

/// The tests' own child program (tests/support/tools/orvelle-test-child.cpp),
/// which echoes and sleeps alike on every system; a player started with it
/// gets the file as its last step.
QString childProgram() {
#ifdef _WIN32
    return QStringLiteral(ORVELLE_BIN_DIR "/orvelle-test-child.exe");
#else
    return QStringLiteral(ORVELLE_BIN_DIR "/orvelle-test-child");
#endif
}

} // namespace

class MediaPlayersTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<orvelle::gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<orvelle::test::TempFolder> m_files;
    QString m_wave;

private slots:
    void initTestCase() {
        m_program = std::make_unique<orvelle::gui::test::ProgramFolderCopy>();
        m_files = std::make_unique<orvelle::test::TempFolder>("orvelle-players-test");
        orvelle::test::writeFile(m_files->path() / "tmp.wav", oneSecondWave());
        m_wave = QString::fromStdString((m_files->path() / "tmp.wav").string());
    }
    void init() { DialogScript::start(); }
    void cleanup() { DialogScript::stop(); }

    void settingsComeFromTheProgramFolder() {
        orvelle::test::TempFolder folder("orvelle-players-config");
        orvelle::test::writeFile(folder / "config.ini", "[Players]\nSound=soundplayer\nVideo=/opt/video/play\n");
#ifdef _WIN32
        const fs::path shipped = folder / "soundplayer.exe"; // found by its bare name too
#else
        const fs::path shipped = folder / "soundplayer";
#endif
        orvelle::test::writeFile(shipped, "#!/bin/sh\n");
        fs::permissions(shipped, fs::perms::owner_all);
        const PlayerSettings settings = PlayerSettings::fromProgramFolder(folder.path());
        QCOMPARE(QFileInfo(settings.sound.program).absoluteFilePath(),
                 QFileInfo(QString::fromStdString(orvelle::platform::pathText(shipped))).absoluteFilePath());
        QCOMPARE(settings.video.program, QStringLiteral("/opt/video/play"));
        QVERIFY(settings.sound.arguments.isEmpty());
        QVERIFY(settings.video.arguments.contains("16:9"));
        QVERIFY(!settings.video.arguments.contains("direct3d"));

        orvelle::test::writeFile(folder / "config.ini", "[Players]\n");
        const PlayerSettings defaults = PlayerSettings::fromProgramFolder(folder.path());
        QVERIFY(defaults.sound.program.endsWith("mplayer"));
        QVERIFY(defaults.video.program.endsWith("mplayer"));
    }

    void mplayerPlaysTheWave() {
        const QString mplayer = program("mplayer");
        if (mplayer.isEmpty()) QSKIP("mplayer is not installed");
        MediaPlayers players(nullptr);
        const QStringList nullOutputs{"-vo", "null", "-ao", "null"};
        players.setSettings({{mplayer, nullOutputs}, {mplayer, QStringList(nullOutputs) << "-lavdopts" << "threads=4"}});
        QSignalSpy playing(&players, &MediaPlayers::videoPlaying);
        QSignalSpy failed(&players, &MediaPlayers::videoFailed);
        QVERIFY(players.playVideo(m_wave));
        QTRY_COMPARE_WITH_TIMEOUT(playing.count(), 1, 8000);
        QVERIFY(players.playSound(m_wave));
        QCOMPARE(players.runningCount(), 2);
        // A one-second file: both end by themselves.
        QTRY_COMPARE_WITH_TIMEOUT(players.runningCount(), 0, 15000);
        QCOMPARE(failed.count(), 0);
        QVERIFY(DialogScript::messageBoxes().isEmpty());
    }

    void silentPlayerIsReported_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("ends without progress") << childProgram() << QStringList{"echo", "hi", "echo"};
        QTest::newRow("stays silent") << childProgram() << QStringList{"sleep", "30000", "echo"};
        QTest::newRow("missing program") << QStringLiteral("/nonexistent/player") << QStringList{};
    }
    void silentPlayerIsReported() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        MediaPlayers players(nullptr);
        players.setSettings({{}, {program, arguments}});
        players.setVideoStartTimeout(300);
        QSignalSpy playing(&players, &MediaPlayers::videoPlaying);
        QSignalSpy failed(&players, &MediaPlayers::videoFailed);
        DialogScript::answerMessageBox(1);
        players.playVideo(QStringLiteral("0.1")); // the last step's text
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(DialogScript::messageBoxes().size(), 1, 2000);
        QVERIFY(DialogScript::messageBoxes().at(0).endsWith(messageText("MSG1207")));
        QCOMPARE(playing.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(players.runningCount(), 0, 5000);
        QCOMPARE(DialogScript::pendingAnswers(), 0);
    }

    void missingSoundPlayerIsReported() {
        MediaPlayers players(nullptr);
        players.setSettings({{QStringLiteral("/nonexistent/soundplayer"), {}}, {}});
        QSignalSpy failed(&players, &MediaPlayers::startFailed);
        DialogScript::answerMessageBox(1);
        players.playSound(m_wave);
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(DialogScript::messageBoxes().size(), 1, 2000);
        QVERIFY(DialogScript::messageBoxes().at(0).contains("/nonexistent/soundplayer"));
    }

    void stopEndsOnlyOurPlayers() {
        const QString sleep = childProgram();
        // Another process of the same program, not started by the players.
        QProcess unrelated;
        unrelated.start(sleep, {"sleep", "30000"});
        QVERIFY(unrelated.waitForStarted(5000));

        MediaPlayers players(nullptr);
        players.setSettings({{sleep, {"sleep"}}, {sleep, {"sleep"}}});
        players.setVideoStartTimeout(60000);
        QSignalSpy failed(&players, &MediaPlayers::videoFailed);
        players.playSound(QStringLiteral("30000"));
        players.playVideo(QStringLiteral("30000"));
        QTRY_COMPARE(int(players.runningIds().size()), 2);
        for (qint64 id : players.runningIds()) QVERIFY(id != unrelated.processId());
        players.stopPlayers();
        QTRY_COMPARE_WITH_TIMEOUT(players.runningCount(), 0, 5000);
        QCOMPARE(failed.count(), 0); // stopped on purpose: nothing to report
        QCOMPARE(unrelated.state(), QProcess::Running);
        unrelated.kill();
        QVERIFY(unrelated.waitForFinished(5000));
    }

    void destructionEndsRunningPlayers() {
        qint64 id = 0;
        {
            MediaPlayers players(nullptr);
            players.setSettings({{childProgram(), {"sleep"}}, {}});
            players.playSound(QStringLiteral("30000"));
            QTRY_COMPARE(int(players.runningIds().size()), 1);
            id = players.runningIds().front();
        }
#ifdef _WIN32
        QVERIFY(id != 0); // Windows has no /proc to look the process up in
#else
        // The process is gone (not even a zombie of ours: QProcess reaped it).
        QVERIFY(!fs::exists("/proc/" + std::to_string(id)));
#endif
    }
};

QTEST_MAIN(MediaPlayersTest)
#include "MediaPlayersTest.moc"
