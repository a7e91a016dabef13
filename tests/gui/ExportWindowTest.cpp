// The export window: a real export of the demo scan matches the command
// line's export, unticked items stay out, failures head the detail list,
// a missing template stops before anything is written, and cancelling
// never stops the event loop.

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/export/ExportDetailModel.h"
#include "gui/export/ExportWindow.h"
#include "gui/support/GuiFixture.h"
#include "scan/ScanRun.h"
#include "support/CliRun.h"
#include "support/LargeBackup.h"
#include "support/TempFolder.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

using namespace orvelle;
using namespace orvelle::gui;
namespace fs = std::filesystem;

namespace {

constexpr int kScanTimeoutMs = 120000;
constexpr int kExportTimeoutMs = 120000;

/// A finished scan of one backup with every category.
struct Scan {
    explicit Scan(const fs::path& backup) {
        store = std::make_unique<BackupStore>(BackupStoreOptions{{backup.parent_path()}, data.path()});
        ScanRequest request;
        if (store->readBackupFolder(backup, request.backup) != kStatusOk) request.backup = BackupInfo{};
        request.backup.folder = backup.string();
        request.categories = allScanCategories();
        displayName = QString::fromStdString(request.backup.displayName);
        run = std::make_unique<ScanRun>(*store);
        run->start(request);
    }
    bool waitFinished() {
        QElapsedTimer timer;
        timer.start();
        while (!run->scanFinished() && timer.elapsed() < kScanTimeoutMs) QTest::qWait(20);
        run->wait();
        return run->scanFinished();
    }

    orvelle::test::TempFolder data{"orvelle-gui-export-data"};
    std::unique_ptr<BackupStore> store;
    std::unique_ptr<ScanRun> run;
    QString displayName;
};

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

/// Every file below `root` by its path relative to `root`, with the 14-digit
/// stamp of names and contents and the index page's export time replaced, so
/// two exports can be compared.
std::map<QString, QByteArray> exportedTree(const fs::path& root) {
    static const QRegularExpression stamp(QStringLiteral("\\d{14}"));
    static const QRegularExpression exportedAt(QStringLiteral("<th>Exported</th><td>[^<]*</td>"));
    std::map<QString, QByteArray> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        QString name = QString::fromStdString(entry.path().lexically_relative(root).generic_string());
        name.replace(stamp, QStringLiteral("<stamp>"));
        QString content = QString::fromStdString(readAll(entry.path()));
        content.replace(stamp, QStringLiteral("<stamp>"));
        content.replace(exportedAt, QStringLiteral("<th>Exported</th><td><time></td>"));
        tree[name] = content.toUtf8();
    }
    return tree;
}

template <typename T> T* child(QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

/// Clicks Finish of the shown export window once it appears; closes the
/// window with 2 after `timeoutMs` so a broken export fails instead of hanging.
void finishWhenDone(int timeoutMs = kExportTimeoutMs) {
    auto* timer = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, timeoutMs] {
        auto* window = qobject_cast<ExportWindow*>(QApplication::activeModalWidget());
        if (!window) {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* found = qobject_cast<ExportWindow*>(top); found && found->isVisible()) window = found;
        }
        const bool timedOut = clock->elapsed() > timeoutMs;
        const bool done = window && child<QPushButton>(window, "FinishBtn")->isVisible();
        if (!done && !timedOut) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (!window) return;
        if (!done) {
            window->done(2);
            return;
        }
        // Enter is swallowed: the window stays until Finish is pressed.
        QTest::keyClick(window, Qt::Key_Return);
        QVERIFY(window->isVisible());
        QTest::mouseClick(child<QPushButton>(window, "FinishBtn"), Qt::LeftButton);
    });
    timer->start(20);
}

int runToEnd(ExportWindow& window) {
    finishWhenDone();
    return window.exec();
}

} // namespace

class ExportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_program = std::make_unique<orvelle::gui::test::ProgramFolderCopy>();
        m_catalogue = std::make_unique<orvelle::gui::test::DemoCatalogue>();
        m_scan = std::make_unique<Scan>(m_catalogue->recentBackup());
        QVERIFY(m_scan->waitFinished());
        QVERIFY(m_scan->run->results().cameraRoll.size() >= 2);
        QVERIFY(m_scan->run->results().contacts.size() >= 2);
    }

    void init() { DialogScript::start(); }
    void cleanup() {
        QVERIFY2(DialogScript::unscripted().isEmpty(), qPrintable(DialogScript::unscripted().join(", ")));
        DialogScript::stop();
    }

    void exportMatchesCommandLine() {
        orvelle::test::TempFolder out("orvelle-gui-export");
        const fs::path gui = out.path() / "gui";
        const fs::path cli = out.path() / "cli";
        fs::create_directories(gui);
        DialogScript::chooseFolder(QString::fromStdString(gui.string()));
        finishWhenDone();
        QVERIFY(startExport(nullptr, *m_scan->run, m_scan->displayName));
        QCOMPARE(DialogScript::pendingAnswers(), 0);

#ifdef _WIN32
        const fs::path program = ORVELLE_BIN_DIR "/orvelle.exe";
#else
        const fs::path program = ORVELLE_BIN_DIR "/orvelle";
#endif
        const orvelle::test::CliRun cliRun = orvelle::test::runProgram(
            program, out, {"export", orvelle::test::arg(m_catalogue->recentBackup()), orvelle::test::arg(cli)});
        QVERIFY2(cliRun.exitCode == 0, cliRun.err.c_str());

        const auto guiTree = exportedTree(gui);
        const auto cliTree = exportedTree(cli);
        QVERIFY(guiTree.size() > 10);
        QStringList guiNames, cliNames;
        for (const auto& [name, content] : guiTree) guiNames << name;
        for (const auto& [name, content] : cliTree) cliNames << name;
        QCOMPARE(guiNames, cliNames);
        for (const auto& [name, content] : guiTree) QVERIFY2(content == cliTree.at(name), qPrintable(name));
    }

    void untickedItemsStayOut() {
        ScanResults& results = m_scan->run->results();
        SelectionTally& tally = m_scan->run->tally();
        // An item whose name no other camera-roll item shares, and a contact.
        const MediaFileRecord* photo = nullptr;
        for (const MediaFileRecord& record : results.cameraRoll)
            if (std::count_if(results.cameraRoll.begin(), results.cameraRoll.end(),
                              [&](const MediaFileRecord& r) { return r.name == record.name; }) == 1) {
                photo = &record;
                break;
            }
        QVERIFY(photo);
        const ContactRecord& contact = results.contacts.front();
        QVERIFY(tally.select(photo, false));
        QVERIFY(tally.select(&contact, false));

        orvelle::test::TempFolder out("orvelle-gui-export");
        ExportWindow window(*m_scan->run, out.path(), m_scan->displayName, nullptr);
        const int result = runToEnd(window);
        tally.select(photo, true);
        tally.select(&contact, true);
        QCOMPARE(result, 1);
        QVERIFY(window.finished());

        QVERIFY(fs::is_directory(out.path() / "Camera Roll"));
        QVERIFY(!fs::exists(out.path() / "Camera Roll" / photo->name));
        QCOMPARE(std::distance(fs::directory_iterator(out.path() / "Camera Roll"), fs::directory_iterator()),
                 static_cast<long>(results.cameraRoll.size() - 1));
        bool sawContacts = false;
        for (const auto& entry : fs::recursive_directory_iterator(out.path() / "Contacts"))
            if (entry.path().filename() == "Contacts.html") {
                sawContacts = true;
                const std::string page = readAll(entry.path());
                QVERIFY(page.find(results.contacts[1].name) != std::string::npos);
                QVERIFY(page.find(contact.name) == std::string::npos);
            }
        QVERIFY(sawContacts);
    }

    void labelsShowTheCounts() {
        orvelle::test::TempFolder out("orvelle-gui-export");
        ExportWindow window(*m_scan->run, out.path(), m_scan->displayName, nullptr);
        QCOMPARE(runToEnd(window), 1);
        const unsigned expected = m_scan->run->tally().selectedVisibleCount();
        auto* detail = child<QTreeView>(&window, "DetailList");
        const int rows = detail->model()->rowCount();
        QVERIFY(rows > 0);
        QCOMPARE(child<QProgressBar>(&window, "Progress")->value(), 100);
        QCOMPARE(child<QLabel>(&window, "percent")->text(),
                 formatMessage(QStringLiteral("%s %d%%"), {messageText(QStringLiteral("MSG1101")), QStringLiteral("100")}));
        const QString recovered = child<QLabel>(&window, "recovered")->text();
        QVERIFY2(recovered.contains(QString::number(expected)), qPrintable(recovered));
        QVERIFY(!child<QPushButton>(&window, "CancelBtn")->isVisible());
    }

    void failuresHeadTheDetailList() {
        orvelle::test::TempFolder out("orvelle-gui-export");
        // A file where the camera-roll folder belongs: every copy into it fails.
        orvelle::test::writeFile(out.path() / "Camera Roll", "in the way");
        ExportWindow window(*m_scan->run, out.path(), m_scan->displayName, nullptr);
        QCOMPARE(runToEnd(window), 1);

        auto* detail = child<QTreeView>(&window, "DetailList");
        auto* model = qobject_cast<ExportDetailModel*>(detail->model());
        QVERIFY(model);
        const int failures = static_cast<int>(m_scan->run->results().cameraRoll.size());
        QCOMPARE(model->failedCount(), failures);
        QVERIFY(model->rowCount() > failures);
        for (int row = 0; row < model->rowCount(); ++row) {
            const bool failed = row < failures;
            QCOMPARE(model->rowAt(row).failed, failed);
            const QVariant colour = model->index(row, 0).data(Qt::ForegroundRole);
            QCOMPARE(colour.isValid(), failed);
            if (failed) {
                QVERIFY(colour.value<QBrush>().color().red() > 200);
                QVERIFY(model->rowAt(row).file.contains(QStringLiteral("Camera Roll")));
            }
        }
        // The detail button swaps the summary for the list.
        QVERIFY(!detail->isVisible());
        child<QPushButton>(&window, "DetailBtn")->click();
        window.show();
        QVERIFY(detail->isVisible());
    }

    void missingTemplateExportsNothing() {
        orvelle::test::TempFolder out("orvelle-gui-export");
        orvelle::test::TempFolder templates("orvelle-gui-templates");
        ExportWindow window(*m_scan->run, out.path(), m_scan->displayName, nullptr);
        window.setTemplateFolder(templates.path());
        DialogScript::answerMessageBox(1);
        QTimer::singleShot(10000, &window, [&window] { window.done(3); }); // bound
        QCOMPARE(window.exec(), 2);
        const QStringList boxes = DialogScript::messageBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.front().startsWith(QStringLiteral("Error: ") + messageText(QStringLiteral("MSG1104"))),
                 qPrintable(boxes.front()));
        QVERIFY(fs::is_empty(out.path()));
    }

    void cancelEndsWithoutFreezing_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("confirmed") << 1;
        QTest::newRow("declined") << 2;
    }

    void cancelEndsWithoutFreezing() {
        QFETCH(int, answer);
        Scan& scan = largeScan();
        orvelle::test::TempFolder out("orvelle-gui-export");
        ExportWindow window(scan.run.operator*(), out.path(), scan.displayName, nullptr);
        window.show();
        // Cancel once the first files are written.
        QTRY_VERIFY_WITH_TIMEOUT(!child<QLabel>(&window, "current")->text().isEmpty(), 20000);
        QVERIFY(!window.finished());

        // A probe on the window's thread: it must keep ticking while the export runs or stops.
        int ticks = 0;
        qint64 longestGap = 0;
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            ++ticks;
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        probe.start(5);
        QSignalSpy finishedSpy(&window, &QDialog::finished);
        DialogScript::answerMessageBox(answer);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(child<QPushButton>(&window, "CancelBtn"), Qt::LeftButton);
        QCOMPARE(DialogScript::messageBoxes().size(), 1);
        QVERIFY(DialogScript::messageBoxes().front().endsWith(messageText(QStringLiteral("MSG1103"))));

        if (answer == 1) {
            // The click returns only after the worker has ended, with the event loop running meanwhile.
            QCOMPARE(finishedSpy.count(), 1);
            QCOMPARE(finishedSpy.front().front().toInt(), 2);
            QVERIFY(window.finished());
            QVERIFY(window.stopped());
            qInfo("cancelled after %lld ms, longest pause of the event loop %lld ms", clock.elapsed(), longestGap);
            QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
            if (clock.elapsed() > 50) QVERIFY(ticks > 0);
        } else {
            QCOMPARE(finishedSpy.count(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(window.finished(), kExportTimeoutMs);
            QVERIFY(!window.stopped());
            qInfo("export of %u items: %lld ms, longest pause of the event loop %lld ms",
                  scan.run->tally().selectedVisibleCount(), clock.elapsed(), longestGap);
            QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));
            QVERIFY(child<QPushButton>(&window, "FinishBtn")->isVisible());
            // Escape closes a finished export without a question.
            QTest::keyClick(&window, Qt::Key_Escape);
            QCOMPARE(finishedSpy.count(), 1);
            QCOMPARE(finishedSpy.front().front().toInt(), 1);
            QCOMPARE(DialogScript::messageBoxes().size(), 1);
        }
    }

    void detailModelStaysQuickWithManyRows() {
        {
            ExportDetailModel checked;
            QAbstractItemModelTester tester(&checked, QAbstractItemModelTester::FailureReportingMode::QtTest);
            checked.addRows({{QStringLiteral("/out/a.jpg"), QStringLiteral("Success"), false},
                             {QStringLiteral("/out/b.jpg"), QStringLiteral("Access is denied"), true}});
            checked.addRows({{QStringLiteral("/out/c.jpg"), QStringLiteral("Disk full"), true},
                             {QStringLiteral("/out/d.jpg"), QStringLiteral("Success"), false}});
            QCOMPARE(checked.rowAt(0).file, QStringLiteral("/out/c.jpg"));
            QCOMPARE(checked.rowAt(3).file, QStringLiteral("/out/d.jpg"));
            checked.retranslate();
        }
        ExportDetailModel model;
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.resize(700, 500);
        view.show();
        QElapsedTimer clock;
        clock.start();
        constexpr int kRows = 50000;
        constexpr int kBatch = 500;
        for (int first = 0; first < kRows; first += kBatch) {
            std::vector<ExportDetailRow> rows;
            for (int i = first; i < first + kBatch; ++i)
                rows.push_back({QStringLiteral("/out/Camera Roll/IMG_%1.JPG").arg(i),
                                i % 1000 == 0 ? QStringLiteral("Access is denied") : QStringLiteral("Success"),
                                i % 1000 == 0});
            model.addRows(std::move(rows));
            QApplication::processEvents();
        }
        view.scrollToBottom();
        QApplication::processEvents();
        const qint64 elapsed = clock.elapsed();
        qInfo("50,000 rows in batches of 500 with the view shown: %lld ms", elapsed);
        QCOMPARE(model.rowCount(), kRows);
        QCOMPARE(model.failedCount(), kRows / 1000);
        QVERIFY(model.rowAt(0).failed);
        QCOMPARE(model.rowAt(0).file, QStringLiteral("/out/Camera Roll/IMG_49000.JPG")); // newest failure first
        QVERIFY(!model.rowAt(kRows / 1000).failed);
        QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
    }

private:
    /// A generated backup with a few thousand files, so an export runs long enough to be cancelled
    /// (ORVELLE_LARGE_SCALE makes it bigger for a timing run: 0.4 gives about 47,000 items).
    Scan& largeScan() {
        if (!m_large) {
            m_largeFolder = std::make_unique<orvelle::test::TempFolder>("orvelle-gui-large");
            const fs::path backup = m_largeFolder->path() / "Backup" / "large";
            orvelle::test::buildLargeBackup(backup, qEnvironmentVariableIsSet("ORVELLE_LARGE_SCALE") ? qEnvironmentVariable("ORVELLE_LARGE_SCALE").toDouble() : 0.1);
            m_large = std::make_unique<Scan>(backup);
            if (!m_large->waitFinished()) qFatal("the large scan did not finish");
        }
        return *m_large;
    }

    std::unique_ptr<orvelle::gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<orvelle::gui::test::DemoCatalogue> m_catalogue;
    std::unique_ptr<Scan> m_scan;
    std::unique_ptr<orvelle::test::TempFolder> m_largeFolder;
    std::unique_ptr<Scan> m_large;
};

QTEST_MAIN(ExportWindowTest)
#include "ExportWindowTest.moc"
