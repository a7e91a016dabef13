#pragma once
/// The print window: builds the print page of the category shown in the
/// result views on a worker thread (behind an animation), then shows it and
/// offers the system's print dialog and "Save as PDF".
///
/// The page is written to a temporary folder of the window's own (removed
/// when the window goes) and shown with Qt's rich text, which runs no
/// scripts: printing is started by the window's buttons. Closing while the
/// page is built asks first; a confirmed close stops the builder and keeps
/// the event loop running until it has ended. Results: 1 after closing a
/// shown page, 2 after a cancelled build or a page that could not be written.

#include "core/Categories.h"

#include <QDialog>

#include <filesystem>
#include <memory>

namespace orvelle {
class ScanRun;
}

namespace orvelle::gui {

class PrintWindow : public QDialog {
    Q_OBJECT
public:
    /// The page of `kind`'s ticked items (only deleted ones when `deletedOnly`).
    PrintWindow(ScanRun& run, ItemKind kind, bool deletedOnly, QWidget* owner);
    /// Stops a builder that still runs and joins it.
    ~PrintWindow() override;

    /// Writes the shown page as a PDF file; false when it cannot be written
    /// or the page is not built yet.
    bool saveAsPdf(const QString& file);
    /// True once the page is built and shown.
    bool pageReady() const;
    /// The page file the builder writes.
    QString pagePath() const;

signals:
    /// The page is built and shown.
    void pageShown();
    /// The builder has ended with `status` (emitted on the builder's thread;
    /// the window listens through a queued connection).
    void buildEnded(int status);
    /// The builder's end has been handled on the window's thread.
    void buildHandled();

public slots:
    /// Escape, the close button and the window's close: asks while the page is built.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void startBuild();
    void handleBuildEnd(int status);
    void requestClose();
    void printPage();
    void askAndSavePdf();
    void applyTexts();

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace orvelle::gui
