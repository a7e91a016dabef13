#pragma once
/// The export window: runs the export job of the last scan on a worker
/// thread and shows the current file, the counts, the percent and a progress
/// bar, with Cancel (asks first), Open (the destination in the file manager),
/// Finish, and the detail list of every file written (failures on top, red).
///
/// The worker reaches the window only through queued signals. Cancelling
/// holds the worker while the question is shown; after a confirmed cancel the
/// window keeps its event loop running until the worker has ended.
/// Results: 1 after Finish (or closing a finished export), 2 after a cancel
/// or when the templates cannot be read (nothing is exported then).

#include <QDialog>

#include <filesystem>
#include <memory>

namespace orvelle {
class ScanRun;
}

namespace orvelle::gui {

class ExportWindow : public QDialog {
    Q_OBJECT
public:
    /// An export of `run`'s ticked, visible items to `destination`; the job
    /// starts when the window is shown. `backupName` titles the documents.
    ExportWindow(ScanRun& run, std::filesystem::path destination, QString backupName, QWidget* owner);
    /// Stops a job that still runs and joins its worker.
    ~ExportWindow() override;

    /// True once the export has ended (finished or cancelled).
    bool finished() const;
    /// True when the job ended because of a stop request.
    bool stopped() const;

    /// Reads the document templates from `folder` instead of the program's
    /// "template" folder (only before the window is shown).
    void setTemplateFolder(std::filesystem::path folder);

signals:
    /// The job has ended and the window shows its final counts.
    void exportEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    /// Escape and the window's close button: asks before a running export stops.
    void reject() override;

private:
    void startJob();
    void pullUpdates();
    void showProgress(unsigned done, unsigned expected, unsigned failed, bool ended);
    void showEnded();
    void requestCancel();
    void applyTexts();
    void showCurrent(const QString& path);

    struct State;
    std::unique_ptr<State> m_state;
};

/// Asks for the destination ("MSG0509") and runs the export window modally.
/// `backupName` (the scanned backup's display name) titles the documents.
/// Returns false when the user cancelled the chooser.
bool startExport(QWidget* owner, ScanRun& run, const QString& backupName = {});

} // namespace orvelle::gui
