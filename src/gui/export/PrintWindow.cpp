#include "gui/export/PrintWindow.h"

#include "backup/BackupStore.h"
#include "export/ExportTemplates.h"
#include "export/PrintPage.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/BusyIndicator.h"
#include "gui/common/DialogScript.h"
#include "gui/common/Icons.h"
#include "gui/common/MessageBox.h"
#include "gui/export/StopWait.h"
#include "platform/PathText.h"
#include "scan/ScanRun.h"
#include "scan/WorkerControl.h"
#include "ui_PrintWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <thread>
#include <vector>

namespace orvelle::gui {

namespace {

const QString kSection = QStringLiteral("PrintWnd");
/// The page file is read back whole to be shown; a bigger one is not a page of ours.
constexpr qint64 kMaxPageBytes = qint64{256} << 20;

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(platform::pathText(path)); }

/// A copy of the shown page for a printer. The page sizes its text in CSS
/// pixels, which rich text takes as device pixels: on a 1200 dpi printer the
/// text would come out a few points high. The copy sizes it in points instead
/// (96 pixels to the inch), as a browser prints it.
std::unique_ptr<QTextDocument> printableCopy(const QTextDocument& shown) {
    std::unique_ptr<QTextDocument> copy(shown.clone());
    struct Change {
        int position, length;
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(QTextFormat::FontPixelSize)) continue;
            const int pixels = format.intProperty(QTextFormat::FontPixelSize);
            format.clearProperty(QTextFormat::FontPixelSize);
            if (pixels > 0) format.setFontPointSize(pixels * 72.0 / 96.0);
            changes.push_back({fragment.position(), fragment.length(), format});
        }
    QTextCursor cursor(copy.get());
    for (const Change& change : changes) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    return copy;
}

} // namespace

struct PrintWindow::State {
    State(ScanRun& run, ItemKind kind, bool deletedOnly) : run(run), kind(kind), deletedOnly(deletedOnly) {}

    ScanRun& run;
    ItemKind kind;
    bool deletedOnly;
    std::unique_ptr<Ui::PrintWindow> ui = std::make_unique<Ui::PrintWindow>();

    // The page lives in a folder of this window's own, so two windows (or two
    // copies of the program) never write the same file.
    QTemporaryDir pageFolder{QDir::tempPath() + QStringLiteral("/orvelle-print-XXXXXX")};
    std::filesystem::path page;

    WorkerControl control;
    std::thread builder;
    bool started = false;
    bool building = false; ///< the builder has not been handled as ended yet
    bool ready = false;
    bool closing = false; ///< a confirmed close waits for the builder
};

PrintWindow::PrintWindow(ScanRun& run, ItemKind kind, bool deletedOnly, QWidget* owner)
    : QDialog(owner), m_state(std::make_unique<State>(run, kind, deletedOnly)) {
    State& s = *m_state;
    s.ui->setupUi(this);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(800, 600);
    s.ui->PrintTabPage->setCurrentIndex(0);
    s.ui->BtnSavePdf->setIcon(skinIcon(QStringLiteral("pdf")));
    // The animation turns from the start: the window opens while the page is built, and it
    // stops ticking by itself once the built page hides it.
    s.ui->BtnGifPrintLoading->setColor(palette().color(QPalette::Highlight));
    s.ui->BtnGifPrintLoading->start();
    s.page = s.pageFolder.isValid() ? platform::utf8Path(s.pageFolder.filePath(QStringLiteral("page.html")).toStdString())
                                    : defaultPrintPagePath();

    connect(this, &PrintWindow::buildEnded, this, &PrintWindow::handleBuildEnd, Qt::QueuedConnection);
    connect(s.ui->closebtn, &QPushButton::clicked, this, &PrintWindow::requestClose);
    connect(s.ui->BtnPrintNow, &QPushButton::clicked, this, &PrintWindow::printPage);
    connect(s.ui->BtnSavePdf, &QPushButton::clicked, this, &PrintWindow::askAndSavePdf);
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &PrintWindow::applyTexts);
    applyTexts();
}

PrintWindow::~PrintWindow() {
    State& s = *m_state;
    if (s.builder.joinable()) {
        s.control.requestStop();
        s.builder.join();
    }
}

bool PrintWindow::pageReady() const { return m_state->ready; }
QString PrintWindow::pagePath() const { return pathText(m_state->page); }

void PrintWindow::applyTexts() { LanguageTexts::instance().applySection(kSection, this); }

void PrintWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_state->started) QTimer::singleShot(0, this, &PrintWindow::startBuild);
}

void PrintWindow::startBuild() {
    State& s = *m_state;
    if (s.started) return;
    s.started = true;
    s.building = true;
    HtmlTemplate printTemplate = loadPrintTemplate(templateFolder());
    PrintHeading heading;
    heading.deviceName = s.run.store().currentBackup().displayName;
    s.builder = std::thread([this, printTemplate = std::move(printTemplate), heading = std::move(heading)] {
        State& st = *m_state;
        const Status status = buildPrintPage(st.kind, st.deletedOnly, st.run.results(), st.run.tally(),
                                             printTemplate, st.page, st.control, heading);
        emit buildEnded(status);
    });
}

void PrintWindow::handleBuildEnd(int status) {
    State& s = *m_state;
    s.building = false;
    if (s.builder.joinable()) s.builder.join(); // it has emitted its last signal and is ending
    if (s.closing || status == kStatusStopped) {
        emit buildHandled();
        return;
    }
    QFile file(pathText(s.page));
    if (status != kStatusOk || !file.open(QIODevice::ReadOnly) || file.size() > kMaxPageBytes) {
        emit buildHandled();
        showMessageBox(this, MessageKind::Error, messageText(QStringLiteral("MSG1115")));
        done(kAnswerCancel);
        return;
    }
    QTextBrowser* browser = s.ui->WebPagePrint;
    // Rich text knows block margins but not the padding and borders of the page's style; a little
    // space between the items keeps them apart on screen and on paper.
    browser->document()->setDefaultStyleSheet(QStringLiteral("div { margin-top: 6px; margin-bottom: 10px; }"));
    // Nor does it give the labels their column: a space keeps "Name:" off the value.
    QString page = QString::fromUtf8(file.readAll());
    page.replace(QStringLiteral(":</span>"), QStringLiteral(":</span>&nbsp;"));
    browser->setHtml(page);
    s.ui->PrintTabPage->setCurrentIndex(1);
    browser->moveCursor(QTextCursor::Start);
    browser->verticalScrollBar()->setValue(0);
    s.ui->BtnPrintNow->setEnabled(true);
    s.ui->BtnSavePdf->setEnabled(true);
    s.ready = true;
    emit buildHandled();
    emit pageShown();
}

void PrintWindow::requestClose() {
    State& s = *m_state;
    if (!s.building) {
        done(s.ready ? kAnswerOk : kAnswerCancel);
        return;
    }
    if (s.closing) return;
    // The builder waits at its next item while the question is up.
    s.control.hold();
    const int answer = showMessageBox(this, MessageKind::Question, messageText(QStringLiteral("MSG0903")));
    s.control.release();
    activateWindow();
    if (answer != kAnswerOk) return;

    s.closing = true;
    s.control.requestStop();
    if (s.building)
        waitForStoppedWorker(this, &PrintWindow::buildHandled, [this] { m_state->control.requestStop(); });
    done(kAnswerCancel);
}

void PrintWindow::reject() { requestClose(); }

void PrintWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    requestClose();
}

void PrintWindow::printPage() {
    State& s = *m_state;
    if (!s.ready || DialogScript::active()) return; // a scripted run has no one to answer the print dialog
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    printableCopy(*s.ui->WebPagePrint->document())->print(&printer);
}

void PrintWindow::askAndSavePdf() {
    if (!m_state->ready || DialogScript::active()) return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString file = QFileDialog::getSaveFileName(this, messageText(QStringLiteral("MSG1113")),
                                                QDir(folder).filePath(QStringLiteral("Orvelle.pdf")),
                                                QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".pdf");
    if (!saveAsPdf(file))
        showMessageBox(this, MessageKind::Error, messageText(QStringLiteral("MSG1114")) + QStringLiteral("\n") + file);
}

bool PrintWindow::saveAsPdf(const QString& file) {
    if (!m_state->ready || file.isEmpty()) return false;
    // A file left from before must not pass for the new one.
    if (QFileInfo::exists(file) && !QFile::remove(file)) return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setCreator(QStringLiteral("Orvelle"));
    printableCopy(*m_state->ui->WebPagePrint->document())->print(&printer);
    const QFileInfo written(file);
    return written.exists() && written.size() > 0;
}

} // namespace orvelle::gui
