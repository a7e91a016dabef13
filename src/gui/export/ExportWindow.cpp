#include "gui/export/ExportWindow.h"

#include "backup/BackupStore.h"
#include "export/ExportJob.h"
#include "export/ExportTemplates.h"
#include "export/ScanSourceExport.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/FolderChooser.h"
#include "gui/common/Icons.h"
#include "gui/common/MessageBox.h"
#include "gui/common/PlainText.h"
#include "gui/export/ExportDetailModel.h"
#include "gui/export/ExportRelay.h"
#include "gui/export/StopWait.h"
#include "platform/PathText.h"
#include "scan/ScanRun.h"
#include "ui_ExportWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <thread>

namespace orvelle::gui {

namespace {

const QString kSection = QStringLiteral("RecoverProcessWnd");
constexpr int kFlushIntervalMs = 100;
constexpr int kStatusColumnWidth = 220;

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(platform::pathText(path)); }

} // namespace

struct ExportWindow::State {
    State(ScanRun& run, std::filesystem::path destination, QString backupName)
        : run(run), destination(std::move(destination)), backupName(std::move(backupName)) {}

    ScanRun& run;
    std::filesystem::path destination;
    QString backupName;
    std::filesystem::path templates = templateFolder();

    std::unique_ptr<Ui::ExportWindow> ui = std::make_unique<Ui::ExportWindow>();
    ExportDetailModel* model = nullptr;
    ExportRelay* relay = nullptr;
    QTimer flushTimer;

    // The job and what it reads; they outlive the worker (joined in the destructor).
    ExportTemplates documentTemplates;
    std::unique_ptr<ScanSourceExport> source;
    std::unique_ptr<ExportJob> job;
    std::thread worker;

    bool started = false;
    bool ended = false;
    bool cancelling = false; ///< a confirmed cancel waits for the worker
    bool endShown = false;   ///< the final counts and buttons are shown
    std::optional<ExportSummary> summary;

    // What the labels show, kept to render them again after a language change.
    QString currentPath;
    unsigned done = 0, expected = 0, failed = 0;
};

ExportWindow::ExportWindow(ScanRun& run, std::filesystem::path destination, QString backupName, QWidget* owner)
    : QDialog(owner), m_state(std::make_unique<State>(run, std::move(destination), std::move(backupName))) {
    State& s = *m_state;
    s.ui->setupUi(this);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(770, 700);

    s.model = new ExportDetailModel(this);
    s.ui->DetailList->setModel(s.model);
    s.model->setBaseFolder(pathText(s.destination));
    QHeaderView* header = s.ui->DetailList->header();
    header->setStretchLastSection(false);
    // Fixed modes only: measuring the contents of tens of thousands of rows would stall the window.
    header->setSectionResizeMode(ExportDetailModel::FileColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ExportDetailModel::StatusColumn, QHeaderView::Interactive);
    header->resizeSection(ExportDetailModel::StatusColumn, kStatusColumnWidth);

    s.ui->LblExportIcon->setPixmap(skinPixmap(QStringLiteral("folder"), QSize(96, 96), devicePixelRatioF()));
    s.ui->OpenBtn->setIcon(skinIcon(QStringLiteral("open-folder")));
    s.ui->DetailBtn->setIcon(skinIcon(QStringLiteral("details")));
    s.ui->destination->setText(pathText(s.destination));
    s.ui->destination->setToolTip(plainToolTip(pathText(s.destination)));
    s.ui->FinishBtn->hide();
    s.ui->ExportPages->setCurrentWidget(s.ui->SummaryPage);

    s.relay = new ExportRelay(this);
    connect(s.relay, &ExportRelay::updated, this, &ExportWindow::pullUpdates, Qt::QueuedConnection);
    connect(s.relay, &ExportRelay::ended, this, &ExportWindow::showEnded, Qt::QueuedConnection);
    // Also look for news on a timer, so rows that came just after a wake-up are not kept back.
    s.flushTimer.setInterval(kFlushIntervalMs);
    connect(&s.flushTimer, &QTimer::timeout, this, &ExportWindow::pullUpdates);

    connect(s.ui->CancelBtn, &QPushButton::clicked, this, &ExportWindow::requestCancel);
    connect(s.ui->FinishBtn, &QPushButton::clicked, this, [this] { done(kAnswerOk); });
    connect(s.ui->OpenBtn, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(pathText(m_state->destination))); });
    connect(s.ui->DetailBtn, &QPushButton::toggled, this, [this](bool shown) {
        m_state->ui->ExportPages->setCurrentWidget(shown ? m_state->ui->DetailPage : m_state->ui->SummaryPage);
    });
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &ExportWindow::applyTexts);
    applyTexts();
}

ExportWindow::~ExportWindow() {
    State& s = *m_state;
    if (s.worker.joinable()) {
        if (s.job) s.job->control().requestStop();
        s.worker.join();
    }
}

bool ExportWindow::finished() const { return m_state->ended; }
bool ExportWindow::stopped() const { return m_state->summary && m_state->summary->stopped; }

void ExportWindow::setTemplateFolder(std::filesystem::path folder) {
    if (!m_state->started) m_state->templates = std::move(folder);
}

void ExportWindow::applyTexts() {
    State& s = *m_state;
    LanguageTexts::instance().applySection(kSection, this);
    s.model->retranslate();
    showProgress(s.done, s.expected, s.failed, s.ended);
    if (s.endShown) showEnded();
}

void ExportWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Start once the window is on screen, so a template error is shown over it.
    if (!m_state->started) QTimer::singleShot(0, this, &ExportWindow::startJob);
}

void ExportWindow::startJob() {
    State& s = *m_state;
    if (s.started) return;
    s.started = true;

    std::filesystem::path badTemplate;
    if (loadExportTemplates(s.templates, s.backupName.toStdString(), s.documentTemplates, &badTemplate) !=
        kStatusOk) {
        QString text = messageText(QStringLiteral("MSG1104"));
        if (!badTemplate.empty()) text += QStringLiteral("\n") + pathText(badTemplate);
        showMessageBox(this, MessageKind::Error, text, {}, QSize(500, 200));
        s.ended = true;
        done(kAnswerCancel);
        return;
    }
    if (!s.run.source()) {
        // No scan has opened a backup: there is nothing to copy from.
        showMessageBox(this, MessageKind::Error, messageText(QStringLiteral("MSG1110")));
        s.ended = true;
        done(kAnswerCancel);
        return;
    }

    s.source = std::make_unique<ScanSourceExport>(*s.run.source());
    s.job = std::make_unique<ExportJob>(s.run.results(), s.run.tally(), *s.source, s.documentTemplates,
                                        ExportSettings{s.destination, {}, s.backupName.toStdString(),
                                                       s.run.store().currentBackup().lastBackupDate,
                                                       s.run.outcomeTexts()});
    s.job->setObserver(s.relay);
    s.expected = s.run.tally().selectedVisibleCount();
    showProgress(0, s.expected, 0, false);
    ExportJob* job = s.job.get();
    ExportRelay* relay = s.relay;
    s.worker = std::thread([job, relay] { relay->jobEnded(job->run()); });
    s.flushTimer.start();
}

void ExportWindow::pullUpdates() {
    State& s = *m_state;
    std::vector<ExportDetailRow> rows = s.relay->takeRows();
    if (!rows.empty()) {
        const QString success = languageText(kSection, QStringLiteral("StatusSuccess"));
        if (!success.isEmpty())
            for (ExportDetailRow& row : rows)
                if (!row.failed) row.status = success;
        s.model->addRows(std::move(rows));
    }
    if (const std::optional<ExportProgress> progress = s.relay->takeProgress()) {
        showCurrent(pathText(progress->current));
        showProgress(progress->done, progress->expected, progress->failed, false);
    }
}

void ExportWindow::showProgress(unsigned done, unsigned expected, unsigned failed, bool ended) {
    State& s = *m_state;
    s.done = done;
    s.expected = expected;
    s.failed = failed;
    // The bar shows the whole export; the engine's per-file percent would only flicker for small files.
    int overall = expected ? static_cast<int>(std::min<std::uint64_t>(100, std::uint64_t{done} * 100 / expected)) : 0;
    if (ended && !stopped()) overall = 100;
    s.ui->Progress->setValue(overall);
    s.ui->percent->setText(formatMessage(QStringLiteral("%s %d%%"),
                                         {messageText(QStringLiteral("MSG1101")), QString::number(overall)}));
    s.ui->recovered->setText(formatMessage(messageText(QStringLiteral("MSG1102")),
                                           {QString::number(done), QString::number(expected),
                                            QString::number(done - std::min(done, failed)), QString::number(failed)}));
}

void ExportWindow::showCurrent(const QString& path) {
    State& s = *m_state;
    s.currentPath = path;
    QLabel* label = s.ui->current;
    const int width = std::max(200, label->width());
    label->setText(label->fontMetrics().elidedText(path, Qt::ElideMiddle, width));
    label->setToolTip(plainToolTip(path));
}

void ExportWindow::showEnded() {
    State& s = *m_state;
    const bool firstTime = !s.endShown;
    if (firstTime) {
        s.endShown = true;
        pullUpdates();
        s.summary = s.relay->takeSummary();
        s.ended = true;
        s.flushTimer.stop();
    }
    if (s.summary) showProgress(s.summary->done, s.summary->expected, s.summary->failed, true);
    s.ui->LblExportTitle->setText(messageText(stopped() ? QStringLiteral("MSG1112") : QStringLiteral("MSG1111")));
    s.ui->LblCurrentTitle->hide();
    s.ui->current->hide();
    s.ui->FinishBtn->show();
    s.ui->CancelBtn->hide();
    if (firstTime) emit exportEnded();
}

void ExportWindow::requestCancel() {
    State& s = *m_state;
    if (s.ended) {
        done(kAnswerOk);
        return;
    }
    if (s.cancelling) return; // already waiting for the worker
    if (!s.job) {
        done(kAnswerCancel);
        return;
    }
    // The worker waits at its next report while the question is up.
    s.job->control().hold();
    const int answer = showMessageBox(this, MessageKind::Question, messageText(QStringLiteral("MSG1103")));
    s.job->control().release();
    activateWindow();
    if (answer != kAnswerOk) return;

    s.cancelling = true;
    s.job->control().requestStop();
    // The worker gives up its current file first.
    if (!s.ended)
        waitForStoppedWorker(this, &ExportWindow::exportEnded, [job = s.job.get()] { job->control().requestStop(); });
    done(kAnswerCancel);
}

void ExportWindow::reject() { requestCancel(); }

void ExportWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    requestCancel();
}

void ExportWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept(); // Enter must not finish or cancel an export by accident
        return;
    }
    QDialog::keyPressEvent(event);
}

bool startExport(QWidget* owner, ScanRun& run, const QString& backupName) {
    const QString folder = chooseFolder(owner, messageText(QStringLiteral("MSG0509")));
    if (folder.isEmpty()) return false;
    std::filesystem::path destination = platform::utf8Path(folder.toStdString());
    if (!destination.has_filename() && destination.has_relative_path()) destination = destination.parent_path();
    ExportWindow window(run, std::move(destination), backupName, owner);
    window.exec();
    return true;
}

} // namespace orvelle::gui
