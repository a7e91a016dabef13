#include "gui/preview/PreviewCopyDialog.h"

#include "ui_PreviewCopyDialog.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/MessageBox.h"

#include <QCloseEvent>
#include <QPushButton>

#include <algorithm>

namespace orvelle::gui {

namespace {
const QString kSection = QStringLiteral("PreviewProcessWnd");
} // namespace

PreviewCopyDialog::PreviewCopyDialog(CopyFunction copy, const QString& displayName, QWidget* owner)
    : QDialog(owner), m_ui(std::make_unique<Ui::PreviewCopyDialog>()), m_copy(std::move(copy)),
      m_displayName(displayName) {
    m_ui->setupUi(this);
    setModal(true);
    resize(500, 200);
    applyTexts();
    // Both signals are emitted on the worker and arrive here queued.
    connect(this, &PreviewCopyDialog::progressed, this, &PreviewCopyDialog::showPercent, Qt::QueuedConnection);
    connect(this, &PreviewCopyDialog::copyEnded, this,
            [this](int status) {
                m_status = status;
                m_ended = true;
                if (m_worker.joinable()) m_worker.join(); // it has returned already
                if (!m_asking) done(status == kStatusOk ? 1 : 2);
            },
            Qt::QueuedConnection);
    connect(m_ui->BtnCancel, &QPushButton::clicked, this, &PreviewCopyDialog::requestCancel);
}

PreviewCopyDialog::~PreviewCopyDialog() {
    m_cancel = true;
    if (m_worker.joinable()) m_worker.join();
}

void PreviewCopyDialog::applyTexts() {
    LanguageTexts::instance().applySection(kSection, this);
    m_ui->LblFileName->setText(formatMessage(QStringLiteral("%s %s"), {messageText(QStringLiteral("MSG0902")), m_displayName}));
    showPercent(m_percent);
}

void PreviewCopyDialog::showPercent(int percent) {
    m_percent = std::clamp(percent, 0, 100);
    m_ui->Progress->setValue(m_percent);
    m_ui->LblPercent->setText(formatMessage(QStringLiteral("%s %d%%"),
                                            {messageText(QStringLiteral("MSG0901")), QString::number(m_percent)}));
}

std::int32_t PreviewCopyDialog::reportProgress(void* context, std::int32_t percent) {
    auto* dialog = static_cast<PreviewCopyDialog*>(context);
    // The cancel question holds this lock: the copy waits here meanwhile.
    std::lock_guard<std::mutex> hold(dialog->m_lock);
    if (dialog->m_cancel) return kStatusStopped;
    if (percent != dialog->m_lastReported) {
        // A large file reports after every 64 KiB; only changes travel.
        dialog->m_lastReported = percent;
        emit dialog->progressed(percent);
    }
    return 0;
}

void PreviewCopyDialog::start() {
    if (m_worker.joinable() || m_ended) return;
    m_worker = std::thread([this] {
        Status status = kStatusFailed;
        try {
            status = m_copy(m_previewPath, &PreviewCopyDialog::reportProgress, this);
        } catch (...) {
            status = kStatusFailed;
        }
        emit copyEnded(status);
    });
}

int PreviewCopyDialog::run() {
    start();
    if (m_ended) return m_status == kStatusOk ? 1 : 2;
    return exec() == 1 ? 1 : 2;
}

void PreviewCopyDialog::requestCancel() {
    if (m_asking || m_ended) return;
    m_asking = true;
    {
        std::unique_lock<std::mutex> hold(m_lock);
        const int answer = showMessageBox(this, MessageKind::Question, messageText(QStringLiteral("MSG0903")));
        if (answer == kAnswerOk) m_cancel = true;
    }
    m_asking = false;
    // The copy may have ended while the question was open (its last report
    // comes after the work): close now with what it answered.
    if (m_ended) done(m_status == kStatusOk ? 1 : 2);
}

void PreviewCopyDialog::reject() { requestCancel(); }

void PreviewCopyDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    requestCancel();
}

} // namespace orvelle::gui
