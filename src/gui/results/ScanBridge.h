#pragma once
/// Carries a scan's observer calls from its worker thread to the scan page as
/// queued signals. Every signal carries the generation it was sent in, so the
/// page can drop what a run it has already left behind still had in the queue.
///
/// Progress is coalesced: the worker only stores the newest percent and posts
/// one signal while none is waiting; the page reads the value with
/// takePercent(). A slow event loop therefore never piles up progress events.

#include "scan/ScanRun.h"

#include <QObject>
#include <atomic>

namespace orvelle::gui {

class ScanBridge : public QObject, public ScanObserver {
    Q_OBJECT
public:
    explicit ScanBridge(QObject* parent = nullptr);

    /// A new generation for the next run (call while no worker runs).
    int nextGeneration();
    int generation() const { return m_generation.load(); }
    /// The newest percent; lets the next report post a signal again.
    int takePercent();

    // ScanObserver: worker thread.
    void scanOpened() override;
    void passwordNeeded() override;
    void openFailed() override;
    void progressShown(int percent) override;
    void countsUpdated() override;
    void firstCategoryHasResults(ItemKind kind) override;
    void scanFinished(Status result) override;

signals:
    void opened(int generation);
    void passwordAsked(int generation);
    void openingFailed(int generation);
    void percentChanged(int generation);
    void countsChanged(int generation);
    void firstResults(int generation, int kind);
    void ended(int generation, int result);

private:
    std::atomic<int> m_generation{0};
    std::atomic<int> m_percent{0};
    std::atomic<bool> m_percentPending{false};
};

} // namespace orvelle::gui
