// The scan page: a real scan of the demo backup from start to end, and pause,
// stop, close and Home against a slow fake source whose operations report
// progress in a loop until the test lets them finish.

#include "gui/results/ScanPage.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/BusyIndicator.h"
#include "gui/common/DialogScript.h"
#include "gui/common/MessageBox.h"
#include "gui/common/ScanChoice.h"
#include "gui/results/ResultsView.h"
#include "gui/support/GuiFixture.h"
#include "support/FakeScanSource.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

using namespace orvelle;
using namespace orvelle::gui;

namespace {

constexpr int kScanTimeout = 60000;

/// What the test shares with the fake source on the worker thread.
struct SlowControl {
    std::atomic<int> reports{0};            ///< progress reports made in the slow loop
    std::atomic<bool> finishSlow{false};    ///< lets the slow operation return
    std::atomic<int> unwindMilliseconds{0}; ///< how long a stopped operation takes to return
    Status openResult = kStatusOk;
};

/// A source whose Camera Roll operation reports progress every millisecond
/// until the test lets it finish; the other operations are quick.
class SlowSource : public orvelle::test::FakeScanSource {
public:
    explicit SlowSource(std::shared_ptr<SlowControl> control) : m_control(std::move(control)) {}

    Status open(std::string_view) override {
        if (const Status answer = report(1)) return answer;
        return m_control->openResult;
    }
    Status scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                          std::vector<MediaFileRecord>& photoStream) override {
        cameraRoll.push_back({4096, "IMG_0001.JPG", "a"});
        cameraRoll.push_back({8192, "IMG_0002.JPG", "b"});
        photoStream.push_back({2048, "IMG_0003.JPG", "c"});
        int percent = 2;
        while (!m_control->finishSlow.load()) {
            if (const Status answer = report(percent)) return unwind(answer);
            m_control->reports.fetch_add(1);
            percent = std::min(percent + 1, 60);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return report(62);
    }
    Status scanMessages(ConversationMap&) override { return report(64); }
    Status scanMessageAttachments(std::vector<AttachmentRecord>&) override { return report(66); }
    Status scanContacts(std::vector<ContactRecord>& contacts) override {
        contacts.push_back(ContactRecord{kLive, "", "", "", "", "+1 555 0100", "", "Ann"});
        contacts.push_back(ContactRecord{kDeleted, "", "", "", "", "+1 555 0101", "", "Ben"});
        return report(70);
    }
    Status scanNotes(std::vector<NoteRecord>& notes) override {
        notes.push_back(NoteRecord{kLive, 1, "2024-01-01 10:00:00", "Shopping", "Milk"});
        return report(80);
    }
    Status scanCallHistory(std::vector<CallRecord>&) override { return report(82); }
    Status scanWhatsAppAttachments(std::vector<MediaFileRecord>&) override { return report(90); }
    Status scanAppFiles(std::vector<AppFileRecord>&) override { return report(85); }
    Status scanWhatsApp(WhatsAppChatMap&) override { return report(88); }
    // Its media are not on disk: nothing can be previewed or copied.
    Status makePreviewCopy(const std::filesystem::path&, std::filesystem::path&, PreviewProgress,
                           void*) override {
        return kStatusInvalid;
    }
    Status copyFile(const std::filesystem::path&, const std::filesystem::path&, CopyProgressFn,
                    void*) override {
        return kStatusInvalid;
    }

private:
    /// A stopped operation that takes its time to clean up.
    Status unwind(Status answer) {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_control->unwindMilliseconds.load()));
        return answer;
    }

    std::shared_ptr<SlowControl> m_control;
};

ScanChoice choiceOf(const BackupInfo& backup, std::initializer_list<ItemKind> kinds, QString password = {}) {
    ScanChoice choice;
    choice.backup = backup;
    choice.password = std::move(password);
    for (std::size_t i = 0; i < kCategories.size(); ++i)
        for (ItemKind kind : kinds)
            choice.ticked[i] = choice.ticked[i] || kCategories[i].kind == kind;
    return choice;
}

ScanChoice everything(const BackupInfo& backup, QString password = {}) {
    ScanChoice choice;
    choice.backup = backup;
    choice.password = std::move(password);
    choice.ticked.fill(true);
    return choice;
}

QString message(const char* key) {
    return messageText(QString::fromLatin1(key));
}

} // namespace

class ScanPageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<orvelle::gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<orvelle::gui::test::DemoCatalogue> m_catalogue;
    std::unique_ptr<orvelle::test::TempFolder> m_data;
    std::unique_ptr<BackupStore> m_store;
    std::shared_ptr<SlowControl> m_control;
    std::unique_ptr<ScanPage> m_page;

    std::vector<BackupInfo> m_backups; ///< listed before any scan (opening a backup forgets the list)

    BackupInfo backupIn(const std::filesystem::path& folder) const {
        for (const BackupInfo& info : m_backups)
            if (std::filesystem::path(info.folder) == folder) return info;
        return {};
    }
    template <typename T> T* find(const char* name) const {
        if (T* found = m_page->findChild<T*>(QString::fromLatin1(name))) return found;
        return m_page->toolBand()->findChild<T*>(QString::fromLatin1(name));
    }
    QToolButton* button(const char* name) const { return find<QToolButton>(name); }
    bool shown(const char* name) const { return !find<QWidget>(name)->isHidden(); }

    /// A page over the slow fake, shown with its tool band.
    void makeSlowPage() {
        m_control = std::make_shared<SlowControl>();
        m_page = std::make_unique<ScanPage>(*m_store, nullptr, [control = m_control](int, BackupStore*) {
            return std::make_unique<SlowSource>(control);
        });
        m_page->resize(1000, 575);
        m_page->show();
        m_page->toolBand()->show();
    }
    /// Starts the fake scan and waits until its slow operation is reporting.
    void startSlowScan() {
        makeSlowPage();
        QSignalSpy opened(m_page.get(), &ScanPage::scanOpened);
        m_page->startScan(
            choiceOf({}, {ItemKind::CameraRoll, ItemKind::PhotoStream, ItemKind::Contacts, ItemKind::Notes}));
        QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_control->reports.load() > 5, 5000);
    }
    /// True when the worker makes no progress for a while (it is held).
    bool workerHeld() const {
        const int before = m_control->reports.load();
        QTest::qWait(150);
        // One report may have passed the lock just before the pause took it.
        return m_control->reports.load() - before <= 1;
    }

private slots:
    void initTestCase() {
        m_program = std::make_unique<orvelle::gui::test::ProgramFolderCopy>();
        QVERIFY(!message("MSG0508").isEmpty());
        m_catalogue = std::make_unique<orvelle::gui::test::DemoCatalogue>();
        m_data = std::make_unique<orvelle::test::TempFolder>("orvelle-scanpage-data");
        m_store = std::make_unique<BackupStore>(BackupStoreOptions{{m_catalogue->root()}, m_data->path()});
        m_backups = m_store->listBackups();
    }

    void init() { DialogScript::start(); }

    void cleanup() {
        if (m_control) m_control->finishSlow = true;
        m_page.reset();
        m_control.reset();
        QVERIFY2(DialogScript::unscripted().isEmpty(), qPrintable(DialogScript::unscripted().join(", ")));
        QCOMPARE(DialogScript::pendingAnswers(), 0);
        DialogScript::stop();
    }

    void aScanOfTheDemoBackupRunsToItsEnd() {
        m_page = std::make_unique<ScanPage>(*m_store);
        m_page->show();
        m_page->toolBand()->show();
        QSignalSpy opened(m_page.get(), &ScanPage::scanOpened);
        QSignalSpy ended(m_page.get(), &ScanPage::scanEnded);
        QSignalSpy password(m_page.get(), &ScanPage::passwordNeeded);
        QSignalSpy bar(find<QProgressBar>("ProgressScan"), &QProgressBar::valueChanged);
        const BackupInfo backup = backupIn(m_catalogue->recentBackup());
        QVERIFY(!backup.folder.empty());

        m_page->startScan(everything(backup));
        QVERIFY(find<BusyIndicator>("BtnGifLoading")->isRunning());
        QVERIFY(shown("ScanToolBar"));
        QVERIFY(!shown("ReocveryToolBar"));
        QVERIFY(!button("BtnHome")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kScanTimeout);

        QCOMPARE(opened.count(), 1);
        QCOMPARE(password.count(), 0);
        bool midway = false; // a percent of the running scan reached the bar
        for (const QList<QVariant>& value : bar)
            midway = midway || (value[0].toInt() >= 2 && value[0].toInt() <= 99);
        QVERIFY(midway);
        QCOMPARE(find<QProgressBar>("ProgressScan")->value(), 100);
        QVERIFY(!m_page->scanning());
        QVERIFY(!shown("ScanToolBar"));
        QVERIFY(shown("ReocveryToolBar"));
        QVERIFY(!find<BusyIndicator>("BtnGifLoading")->isRunning());
        QVERIFY(button("BtnHome")->isEnabled());
        // The demo backup has results, all ticked: Recover is possible and the list is shown.
        QVERIFY(m_page->run().firstResultCategory() != ItemKind::None);
        QVERIFY(m_page->run().tally().selectedVisibleCount() > 0);
        QVERIFY(button("BtnRecovery")->isEnabled());
        QCOMPARE(find<QStackedWidget>("ScanStack")->currentWidget(), find<QWidget>("DataListLayout"));
        QCOMPARE(find<QLabel>("LblScanType")->text(), message("MSG0520"));
    }

    void pauseHoldsTheWorkerAndResumeReleasesIt() {
        startSlowScan();
        auto* pause = button("BtnScanPause");
        QCOMPARE(pause->text(), message("MSG0507"));

        pause->click();
        QVERIFY(m_page->run().paused());
        QCOMPARE(pause->text(), message("MSG0506"));
        QVERIFY(!find<BusyIndicator>("BtnGifLoading")->isRunning());
        QVERIFY(shown("ReocveryToolBar")); // what was found so far can be recovered
        QVERIFY(!button("BtnHome")->isEnabled());
        QVERIFY(workerHeld());

        pause->click();
        QVERIFY(!m_page->run().paused());
        QCOMPARE(pause->text(), message("MSG0507"));
        QVERIFY(find<BusyIndicator>("BtnGifLoading")->isRunning());
        QVERIFY(!shown("ReocveryToolBar"));
        const int before = m_control->reports.load();
        QTRY_VERIFY_WITH_TIMEOUT(m_control->reports.load() > before + 5, 5000);
    }

    void stopAsksFirst_data() {
        QTest::addColumn<bool>("pausedBefore");
        QTest::addColumn<int>("answer");
        QTest::newRow("running, cancel") << false << kAnswerCancel;
        QTest::newRow("paused, cancel") << true << kAnswerCancel;
        QTest::newRow("running, OK") << false << kAnswerOk;
        QTest::newRow("paused, OK") << true << kAnswerOk;
    }
    void stopAsksFirst() {
        QFETCH(bool, pausedBefore);
        QFETCH(int, answer);
        startSlowScan();
        m_control->unwindMilliseconds = 300; // a stopped operation takes a while to return
        QSignalSpy ended(m_page.get(), &ScanPage::scanEnded);
        if (pausedBefore) button("BtnScanPause")->click();

        // A probe that only ticks while the event loop runs.
        int ticks = 0;
        QTimer probe;
        probe.setInterval(10);
        connect(&probe, &QTimer::timeout, [&ticks] { ++ticks; });
        probe.start();
        DialogScript::answerMessageBox(answer);
        QElapsedTimer clock;
        clock.start();
        button("BtnScanStop")->click();
        const qint64 took = clock.elapsed();
        const int ticksDuringStop = ticks;
        QCOMPARE(DialogScript::messageBoxes(),
                 QStringList{QStringLiteral("Question: ") + message("MSG0508")});

        if (answer == kAnswerCancel) {
            QVERIFY(m_page->scanning());
            QCOMPARE(m_page->run().paused(), pausedBefore);
            QCOMPARE(button("BtnScanPause")->text(), message(pausedBefore ? "MSG0506" : "MSG0507"));
            if (pausedBefore)
                QVERIFY(workerHeld());
            else {
                const int before = m_control->reports.load();
                QTRY_VERIFY_WITH_TIMEOUT(m_control->reports.load() > before + 5, 5000);
            }
            return;
        }
        // OK: the worker has ended when the click returns, and the window
        // kept working while it unwound.
        qInfo("stop took %lld ms; the probe ticked %d times meanwhile", took, ticksDuringStop);
        QVERIFY(!m_page->scanning());
        QVERIFY2(took < 10000, qPrintable(QString::number(took)));
        QVERIFY2(ticksDuringStop >= 5, qPrintable(QString::number(ticksDuringStop)));
        QVERIFY(!m_page->run().paused());
        QCOMPARE(button("BtnScanPause")->text(), message("MSG0507"));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
        QCOMPARE(find<QLabel>("LblScanType")->text(), message("MSG0521"));
        QVERIFY(!shown("ScanToolBar"));
        QVERIFY(shown("ReocveryToolBar"));
        QVERIFY(button("BtnHome")->isEnabled());
    }

    void closingAsksWhileAScanRuns_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancel keeps the window") << kAnswerCancel;
        QTest::newRow("OK stops the scan") << kAnswerOk;
    }
    void closingAsksWhileAScanRuns() {
        QFETCH(int, answer);
        startSlowScan();
        m_control->unwindMilliseconds = 100;
        DialogScript::answerMessageBox(answer);
        const bool mayClose = m_page->confirmClose();
        QCOMPARE(DialogScript::messageBoxes(), QStringList{QStringLiteral("Warning: ") + message("MSG0511")});
        QCOMPARE(mayClose, answer == kAnswerOk);
        QVERIFY(!m_page->run().paused());
        if (mayClose) {
            QVERIFY(!m_page->scanning());
        } else {
            QVERIFY(m_page->scanning());
            const int before = m_control->reports.load();
            QTRY_VERIFY_WITH_TIMEOUT(m_control->reports.load() > before + 5, 5000);
        }
    }

    void closingWithoutScanOrResultsDoesNotAsk() {
        makeSlowPage();
        QVERIFY(m_page->confirmClose());
        QVERIFY(DialogScript::messageBoxes().isEmpty());
    }

    void homeAsksWhenResultsAreShownAndRecoverFollowsTheTicks() {
        startSlowScan();
        QSignalSpy ended(m_page.get(), &ScanPage::scanEnded);
        QSignalSpy home(m_page.get(), &ScanPage::homeRequested);
        m_control->finishSlow = true;
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
        QVERIFY(m_page->hasResults());
        QCOMPARE(find<QLabel>("LblScanType")->text(), message("MSG0520"));
        QVERIFY(button("BtnRecovery")->isEnabled());

        // Nothing ticked: nothing to recover.
        ScanResults& results = m_page->run().results();
        for (const void* group :
             {static_cast<const void*>(&results.cameraRoll), static_cast<const void*>(&results.photoStream),
              static_cast<const void*>(&results.contacts), static_cast<const void*>(&results.notes)})
            m_page->run().tally().select(group, false);
        emit m_page->resultsView()->tallyChanged();
        QVERIFY(!button("BtnRecovery")->isEnabled());

        DialogScript::answerMessageBox(kAnswerCancel);
        button("BtnHome")->click();
        QCOMPARE(home.count(), 0);
        QVERIFY(m_page->hasResults());

        DialogScript::answerMessageBox(kAnswerOk);
        button("BtnHome")->click();
        QCOMPARE(home.count(), 1);
        QCOMPARE(DialogScript::messageBoxes(),
                 (QStringList{QStringLiteral("Question: ") + message("MSG0510"),
                              QStringLiteral("Question: ") + message("MSG0510")}));
        QVERIFY(!m_page->hasResults());
        QCOMPARE(m_page->run().tally().root().total, 0u);
        QVERIFY(m_page->confirmClose()); // nothing left to lose: no question
        QCOMPARE(DialogScript::messageBoxes().size(), 2);
    }

    void aBackupThatCannotBeOpenedWarnsAndEnds() {
        makeSlowPage();
        m_control->openResult = kStatusFailed;
        QSignalSpy ended(m_page.get(), &ScanPage::scanEnded);
        DialogScript::answerMessageBox(kAnswerOk);
        m_page->startScan(choiceOf({}, {ItemKind::Contacts}));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
        QCOMPARE(DialogScript::messageBoxes(), QStringList{QStringLiteral("Warning: ") + message("MSG0512")});
        QVERIFY(!m_page->hasResults());
        QVERIFY(!button("BtnRecovery")->isEnabled());
        QVERIFY(button("BtnHome")->isEnabled());
    }

    // No password opens a backup whose keybag is damaged: the warning says
    // so with the decryption's reason, and never asks for the password again.
    void aDamagedKeybagIsNamedWithItsReasonNotAWrongPassword() {
        makeSlowPage();
        m_control->openResult = kStatusEncryptionDamaged;
        const std::string reason = "the backup's keybag is damaged: its iteration count ITER is 0";
        m_store->setOpenProblem(reason);
        QSignalSpy ended(m_page.get(), &ScanPage::scanEnded);
        QSignalSpy password(m_page.get(), &ScanPage::passwordNeeded);
        DialogScript::answerMessageBox(kAnswerOk);
        m_page->startScan(choiceOf({}, {ItemKind::Contacts}));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
        QCOMPARE(DialogScript::messageBoxes(),
                 QStringList{QStringLiteral("Warning: ") +
                             formatMessage(message("MSG0514"), {QString::fromStdString(reason)})});
        QVERIFY(DialogScript::messageBoxes().front().contains(QStringLiteral("ITER is 0")));
        QCOMPARE(password.count(), 0);
        QVERIFY(!m_page->hasResults());
        m_store->setOpenProblem({});
    }

    void aWrongPasswordAsksAgainWithoutEndingTheScan() {
        m_page = std::make_unique<ScanPage>(*m_store);
        m_page->show();
        QSignalSpy password(m_page.get(), &ScanPage::passwordNeeded);
        QSignalSpy ended(m_page.get(), &ScanPage::scanEnded);
        const BackupInfo backup = backupIn(m_catalogue->encryptedBackup());
        QVERIFY(backup.encrypted);

        m_page->startScan(everything(backup, QStringLiteral("not the password")));
        QTRY_COMPARE_WITH_TIMEOUT(password.count(), 1, kScanTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!m_page->scanning(), 5000);
        QTest::qWait(100); // anything the worker still posted has arrived
        QCOMPARE(ended.count(), 0);
        QVERIFY(!m_page->hasResults());
        QVERIFY(!button("BtnRecovery")->isEnabled());
        QCOMPARE(find<QLabel>("LblScanType")->text(), message("MSG0526"));
    }
};

QTEST_MAIN(ScanPageTest)
#include "ScanPageTest.moc"
