#pragma once
/// The scan and result page: starts the scan of the chosen backup on its
/// worker, shows its progress (`ProgressScan`, `LblPercent`, `LblScanType`,
/// `LblScanInfo`, the animation), pause/resume and stop with their
/// questions, and afterwards the result views with Home, Recover and Print.
/// The scan's observer calls reach the page only as queued signals.
///
/// Waiting for a stopping worker never stops the event loop: the page polls
/// the run's finished flag from a local event loop (busy cursor, buttons of
/// the tool band disabled) and joins the worker once it has ended.

#include "scan/ScanRun.h"

#include <QWidget>
#include <memory>

namespace orvelle {
class BackupStore;
}

namespace orvelle::gui {

struct ScanChoice;
class ResultsView;

class ScanPage : public QWidget {
    Q_OBJECT
public:
    /// A page scanning the backups of `store`. `factory` makes the scan
    /// sources (empty: the engine's own; tests hand in fakes).
    explicit ScanPage(BackupStore& store, QWidget* parent = nullptr, ScanSourceFactory factory = {});
    ~ScanPage() override;

    /// The tool band the main window shows in its title band while this page
    /// is up (`HorLayoutScan`: `ScanToolBar` and `ReocveryToolBar`). The page
    /// creates it without a parent; whoever places it owns it, otherwise the
    /// page deletes it.
    QWidget* toolBand() const;

    /// Clears the page and starts a scan of `choice`.
    void startScan(const ScanChoice& choice);
    /// Asked before the main window closes: true when it may close (a running
    /// scan or shown results are confirmed first; a confirmed close stops the
    /// scan without freezing the window).
    bool confirmClose();
    /// True while a scan worker runs.
    bool scanning() const;
    /// True while results of the last scan are shown (cleared by Home).
    bool hasResults() const;

    ScanRun& run();
    ResultsView* resultsView() const;
    /// Sets the texts of the current language again.
    void applyTexts();

signals:
    /// The backup is being read: the wizard switches to this page.
    void scanOpened();
    /// The backup needs a (correct) password: the category page asks again.
    void passwordNeeded();
    /// The scan ended (completed, stopped or failed).
    void scanEnded();
    /// Home was confirmed: the wizard goes back to the backup list.
    void homeRequested();

private:
    struct State;
    enum class Phase;

    void onOpened(int generation);
    void onPercent(int generation);
    void onCounts(int generation);
    void onFirstResults(int generation, int kind);
    void onPasswordAsked(int generation);
    void onOpeningFailed(int generation);
    void onScanEnded(int generation, int result);

    void onPauseClicked();
    void onStopClicked();
    void onHomeClicked();
    void onRecoverClicked();
    void onPrintClicked();

    void warnCannotOpen();
    void pauseForQuestion();
    void undoPauseForQuestion(bool wasPaused);
    /// Asks a running worker to stop and waits for it with the event loop running.
    void stopAndWait();
    void clearPage();
    void setPhase(Phase phase);
    void updateStatusTexts();
    void updatePauseButton();
    void applyRecoverRule();
    void showProgressView();
    void showResultsView();

    std::unique_ptr<State> m_state;
};

} // namespace orvelle::gui
