// The print window: the page of the ticked contacts or message chats is
// shown and saved as a PDF that holds exactly the ticked items, and closing
// while the page is built never hangs.

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/export/PrintWindow.h"
#include "gui/support/GuiFixture.h"
#include "scan/ScanRun.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <memory>

using namespace orvelle;
using namespace orvelle::gui;
namespace fs = std::filesystem;

namespace {

constexpr int kScanTimeoutMs = 120000;
constexpr int kPageTimeoutMs = 30000;

/// Whether pdftotext can be started (poppler-utils; there is none under Wine).
bool hasPdfToText() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

/// pdftotext's reading of `file`, every run of white space made one blank.
QString pdfText(const QString& file) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    if (!process.waitForFinished(20000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

/// The height in points of the first word pdftotext finds in `file`; 0 when none.
double firstWordHeight(const QString& file) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!process.waitForFinished(20000)) return 0;
    static const QRegularExpression word(QStringLiteral("<word [^>]*yMin=\"([0-9.]+)\"[^>]*yMax=\"([0-9.]+)\""));
    const QRegularExpressionMatch match = word.match(QString::fromUtf8(process.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(2).toDouble() - match.captured(1).toDouble() : 0;
}

QString plain(const std::string& text) { return QString::fromStdString(text).simplified(); }

/// Shows `window` and waits (bounded) until its page is shown.
bool showPage(PrintWindow& window) {
    window.show();
    QElapsedTimer clock;
    clock.start();
    while (!window.pageReady() && window.isVisible() && clock.elapsed() < kPageTimeoutMs) QTest::qWait(10);
    return window.pageReady();
}

} // namespace

class PrintWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_program = std::make_unique<orvelle::gui::test::ProgramFolderCopy>();
        m_catalogue = std::make_unique<orvelle::gui::test::DemoCatalogue>();
        m_store = std::make_unique<BackupStore>(BackupStoreOptions{{m_catalogue->root()}, m_data.path()});
        ScanRequest request;
        QCOMPARE(m_store->readBackupFolder(m_catalogue->recentBackup(), request.backup), kStatusOk);
        request.categories = allScanCategories();
        m_run = std::make_unique<ScanRun>(*m_store);
        QCOMPARE(m_run->start(request), kStatusOk);
        QTRY_VERIFY_WITH_TIMEOUT(m_run->scanFinished(), kScanTimeoutMs);
        m_run->wait();
        QVERIFY(m_run->results().contacts.size() >= 2);
        QVERIFY(m_run->results().messageSummaries.size() >= 2);
    }

    void init() { DialogScript::start(); }
    void cleanup() {
        QVERIFY2(DialogScript::unscripted().isEmpty(), qPrintable(DialogScript::unscripted().join(", ")));
        DialogScript::stop();
    }

    void contactsPdfHoldsTheTickedContacts() {
        const auto& contacts = m_run->results().contacts;
        const ContactRecord& unticked = contacts.back();
        QVERIFY(m_run->tally().select(&unticked, false));
        PrintWindow window(*m_run, ItemKind::Contacts, false, nullptr);
        QSignalSpy shown(&window, &PrintWindow::pageShown);
        const bool ready = showPage(window);
        m_run->tally().select(&unticked, true);
        QVERIFY(ready);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(window.findChild<QStackedWidget*>(QStringLiteral("PrintTabPage"))->currentIndex(), 1);
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("BtnSavePdf"))->isEnabled());
        QVERIFY(QFileInfo::exists(window.pagePath()));

        orvelle::test::TempFolder out("orvelle-gui-print");
        const QString pdf = QString::fromStdString((out.path() / "contacts.pdf").string());
        QVERIFY(window.saveAsPdf(pdf));
        if (!hasPdfToText()) QSKIP("pdftotext is not installed (none is under Wine): the PDF's text cannot be read");
        const QString text = pdfText(pdf);
        QVERIFY2(!text.isEmpty(), "pdftotext read nothing");
        for (const ContactRecord& contact : contacts) {
            if (contact.name == unticked.name) continue;
            QVERIFY2(text.contains(plain(contact.name)), qPrintable(plain(contact.name) + " in " + text));
        }
        QVERIFY2(!text.contains(plain(unticked.name)), qPrintable(plain(unticked.name)));
        // Printed at a readable size, not at the size of a screen pixel on a 1200 dpi printer.
        const double height = firstWordHeight(pdf);
        QVERIFY2(height > 8 && height < 30, qPrintable(QString::number(height)));

        QSignalSpy finished(&window, &QDialog::finished);
        window.findChild<QPushButton*>(QStringLiteral("closebtn"))->click();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.front().front().toInt(), 1);
        QVERIFY(DialogScript::messageBoxes().isEmpty());
    }

    void messagesPdfHoldsTheTickedChats() {
        const ScanResults& results = m_run->results();
        // The first chat stays ticked, the last one is unticked; compare a text only one of them holds.
        const MessageRecord& kept = results.messageSummaries.front();
        const MessageRecord& dropped = results.messageSummaries.back();
        const auto textsOf = [&](const MessageRecord& summary) {
            QStringList texts;
            for (const MessageRecord& message : results.messageChats.at(summary.handleId))
                if (!plain(message.text).isEmpty()) texts << plain(message.text).left(24).trimmed();
            return texts;
        };
        const QStringList keptTexts = textsOf(kept);
        QStringList droppedTexts = textsOf(dropped);
        for (const QString& text : keptTexts) droppedTexts.removeAll(text);
        QVERIFY(!keptTexts.isEmpty());
        QVERIFY(!droppedTexts.isEmpty());

        QVERIFY(m_run->tally().select(&dropped, false));
        PrintWindow window(*m_run, ItemKind::Messages, false, nullptr);
        const bool ready = showPage(window);
        m_run->tally().select(&dropped, true);
        QVERIFY(ready);
        orvelle::test::TempFolder out("orvelle-gui-print");
        const QString pdf = QString::fromStdString((out.path() / "messages.pdf").string());
        QVERIFY(window.saveAsPdf(pdf));
        if (!hasPdfToText()) QSKIP("pdftotext is not installed (none is under Wine): the PDF's text cannot be read");
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(keptTexts.front()), qPrintable(keptTexts.front()));
        for (const QString& gone : droppedTexts)
            if (!text.contains(gone)) return; // at least one text only the unticked chat has is absent
        QFAIL("the unticked chat's messages are printed");
    }

    void saveAsPdfRefusesBeforeThePageIsShown() {
        PrintWindow window(*m_run, ItemKind::Contacts, false, nullptr);
        orvelle::test::TempFolder out("orvelle-gui-print");
        QVERIFY(!window.saveAsPdf(QString::fromStdString((out.path() / "early.pdf").string())));
        QVERIFY(!fs::exists(out.path() / "early.pdf"));
    }

    void closeWhileBuildingNeverHangs_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("confirmed") << 1;
        QTest::newRow("declined") << 2;
    }

    void closeWhileBuildingNeverHangs() {
        QFETCH(int, answer);
        PrintWindow window(*m_run, ItemKind::Messages, false, nullptr);
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        QCoreApplication::processEvents(); // the builder starts
        int ticks = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&ticks] { ++ticks; });
        probe.start(5);
        QElapsedTimer clock;
        clock.start();
        DialogScript::answerMessageBox(answer);
        window.reject(); // as Escape or the window's close button
        if (window.pageReady()) {
            // The page was shown before the question could be asked: closing needs none.
            QCOMPARE(finished.count(), 1);
            QCOMPARE(finished.front().front().toInt(), 1);
            return;
        }
        QCOMPARE(DialogScript::messageBoxes().size(), 1);
        QVERIFY(DialogScript::messageBoxes().front().endsWith(messageText(QStringLiteral("MSG0903"))));
        if (answer == 1) {
            QCOMPARE(finished.count(), 1);
            QCOMPARE(finished.front().front().toInt(), 2);
            QVERIFY(!window.pageReady());
            QVERIFY(clock.elapsed() < 10000);
            if (clock.elapsed() > 50) QVERIFY(ticks > 0); // the wait kept the event loop running
        } else {
            QCOMPARE(finished.count(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(window.pageReady(), kPageTimeoutMs);
            window.reject();
            QCOMPARE(finished.count(), 1);
            QCOMPARE(finished.front().front().toInt(), 1);
        }
    }

private:
    std::unique_ptr<orvelle::gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<orvelle::gui::test::DemoCatalogue> m_catalogue;
    orvelle::test::TempFolder m_data{"orvelle-gui-print-data"};
    std::unique_ptr<BackupStore> m_store;
    std::unique_ptr<ScanRun> m_run;
};

QTEST_MAIN(PrintWindowTest)
#include "PrintWindowTest.moc"
