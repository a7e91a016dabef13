#pragma once
/// The progress dialog of a preview copy (files over 64 KiB): the copy runs
/// on a worker thread, its progress reaches the dialog as queued signals, and
/// the dialog closes by itself when the copy ends: 1 when it succeeded, 2 when
/// it was cancelled or failed.
///
/// Cancel (the button, the window's close button, Escape) holds the worker
/// (the progress callback takes the same lock) while the question MSG0903 is
/// asked; OK sets the cancel flag, and the worker stops at its next report.
/// The dialog never waits with the event loop stopped.

#include "core/Status.h"
#include "backup/PreviewCopy.h"

#include <QDialog>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace Ui {
class PreviewCopyDialog;
}

namespace orvelle::gui {

class PreviewCopyDialog : public QDialog {
    Q_OBJECT
public:
    /// Makes the copy: writes the copy's path, reports through the function
    /// with the context, answers a status. Runs on the worker thread.
    using CopyFunction =
        std::function<Status(std::filesystem::path& previewPath, PreviewProgress function, void* context)>;

    PreviewCopyDialog(CopyFunction copy, const QString& displayName, QWidget* owner);
    /// Cancels a copy still running and joins its worker.
    ~PreviewCopyDialog() override;

    /// Starts the worker (once) and runs the dialog until the copy ends; 1 or 2.
    int run();
    /// Starts the worker without waiting (run() calls it).
    void start();

    /// The cancel button: asks MSG0903 while the worker is held; on OK the
    /// copy is cancelled and the dialog closes when the worker has stopped.
    void requestCancel();

    /// The copy's status and path, valid once the dialog has closed.
    Status status() const { return m_status; }
    const std::filesystem::path& previewPath() const { return m_previewPath; }
    /// The last percentage shown.
    int percent() const { return m_percent; }

signals:
    /// From the worker (queued): a new percentage.
    void progressed(int percent);
    /// From the worker (queued): the copy ended with `status`.
    void copyEnded(int status);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    static std::int32_t reportProgress(void* context, std::int32_t percent);
    void showPercent(int percent);
    void applyTexts();

    std::unique_ptr<Ui::PreviewCopyDialog> m_ui;
    CopyFunction m_copy;
    QString m_displayName;
    std::thread m_worker;
    std::mutex m_lock;              ///< taken by every progress report and by the cancel question
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_ended{false};
    int m_lastReported = -1;        ///< worker's last percentage (worker only)
    Status m_status = kStatusOk;    ///< written by the worker before copyEnded
    std::filesystem::path m_previewPath;
    int m_percent = 0;
    bool m_asking = false;
};

} // namespace orvelle::gui
