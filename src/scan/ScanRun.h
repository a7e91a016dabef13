#pragma once
/// One scan of a backup, run on a worker thread: the engine half of the scan
/// page. It owns the result containers, the chat summaries, the per-category
/// counts, the last shown percent and the selection tally; it calls the scan
/// source's operations for the ticked categories in a fixed order and tells an
/// observer what a window would be told.
///
/// Category order: Camera Roll / Photo Stream, Messages, Message Attachments,
/// Contacts, Call History, Notes, App Photos / App Videos, WhatsApp, WhatsApp
/// Attachments, Reminder, Calendar, Safari Bookmark.
///
/// Progress rule (the source's callback): a stop request answers
/// kStatusStopped; a value not above the last shown one is ignored; the first
/// 1 means "scan opened"; values below 2 count as 2, values of 100 or more as
/// 99 (so 0, 1, 1, 5, 3, 150 show 0, 2, 2, 5, 5, 99).
///
/// Threads: start(), pause(), resume(), stop() and the readers are for one
/// controlling thread. The worker fills a category's container without a
/// lock; read a category only once countsUpdated()/firstCategoryHasResults()
/// announced it, or after the scan finished. While a scan runs, the worker
/// goes on adding categories to the tally: a reader of the tally (or of the
/// chat summaries and app maps that completion builds) holds resultsLock()
/// shared, and a writer of the tally (ticking, filtering) holds it exclusively.
/// Observer calls arrive on the worker thread. Pausing holds the scan lock,
/// so the worker blocks at its next report; it completes categories under the
/// same lock, so nothing changes in the results while the scan is paused.

#include "backup/BackupInfo.h"
#include "backup/ScanSource.h"
#include "core/Categories.h"
#include "core/Status.h"
#include "scan/CategoryOutcome.h"
#include "scan/SelectionTally.h"
#include "scan/ScanResults.h"
#include "scan/WorkerControl.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>
#include <thread>

namespace orvelle {

class BackupStore;

/// What a front end hears from a running scan (all on the worker thread,
/// some while the scan lock is held: never call pause, stop or start from here).
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    /// The first progress report of 1 arrived: the backup is being read.
    virtual void scanOpened() {}
    /// open answered kStatusWrongPassword: ask for the (right) password and start again.
    virtual void passwordNeeded() {}
    /// open answered kStatusFailed or kStatusEncryptionDamaged (the store's
    /// openProblem() may say why): the scan ends as stopped, without results.
    virtual void openFailed() {}
    /// An accepted progress report: `percent` is what a progress bar shows (0..99).
    virtual void progressShown(int /*percent*/) {}
    /// The counts changed (after open and after each category).
    virtual void countsUpdated() {}
    /// A category has results and none was first before: `kind` is now the first.
    virtual void firstCategoryHasResults(ItemKind /*kind*/) {}
    /// The scan ended (completed, stopped, or failed to open); `result` is the
    /// last operation's result.
    virtual void scanFinished(Status /*result*/) {}
};

/// What to scan.
struct ScanRequest {
    int sourceType = static_cast<int>(ScanSourceType::LocalBackup);
    BackupInfo backup;             ///< the chosen backup's summary
    std::string password;          ///< empty for a plain backup
    std::set<ItemKind> categories; ///< ticked categories (ItemKind::None entries start nothing)
};

/// Makes the scan source for a type (tests hand in fakes).
using ScanSourceFactory = std::function<std::unique_ptr<ScanSource>(int type, BackupStore* store)>;

/// Every category a scan can fill, in ItemKind order.
std::set<ItemKind> allScanCategories();

class ScanRun {
public:
    /// A run over `store`, reporting to `observer` (may be null). `factory`
    /// defaults to createScanSource.
    explicit ScanRun(BackupStore& store, ScanObserver* observer = nullptr, ScanSourceFactory factory = {});
    /// Stops a running scan (releasing a pause) and joins its worker.
    ~ScanRun();
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    /// The store whose current backup the scan reads.
    const BackupStore& store() const { return m_store; }

    /// Clears every result, makes the request's backup current, creates the
    /// source and starts the worker. 1 (nothing started) for a source type
    /// other than 1 or when the factory gives no source; 0 otherwise. A
    /// previous scan is stopped and joined first.
    Status start(const ScanRequest& request);

    /// Holds the scan lock: the worker blocks at its next progress report.
    void pause();
    /// Releases the lock taken by pause().
    void resume();
    bool paused() const { return m_paused; }
    /// True while the worker waits at a report for a pause to end (a pause
    /// has taken hold; the results stand still).
    bool workerHeld() const { return m_control.workerWaiting(); }

    /// Asks the worker to stop at its next report (a pause is released) and
    /// waits until it has finished. Partial results stay.
    void stop();
    /// Asks for a stop without waiting; safe from any thread.
    void requestStop() { m_control.requestStop(); }
    /// Waits until the worker has ended (joins it).
    void wait();

    /// True when no worker runs.
    bool scanFinished() const { return m_control.finished(); }
    /// Waits up to `timeout` for the worker to finish; answers scanFinished().
    bool waitFinished(std::chrono::milliseconds timeout) { return m_control.waitFinished(timeout); }
    bool stopRequested() const { return m_control.stopRequested(); }
    /// The result of open, or of the last category operation that ran.
    Status lastResult() const { return m_lastResult.load(); }
    /// open's result.
    Status openResult() const { return m_openResult.load(); }

    /// The last percent shown (0 at start, at most 99 while running).
    int lastPercent() const;
    /// The count shown beside a category (chats for Messages and WhatsApp).
    std::uint32_t count(ItemKind kind) const;
    /// The first category that received results, or ItemKind::None.
    ItemKind firstResultCategory() const;
    /// How the scan of a category ended (notScanned until its operation returned).
    CategoryOutcome outcome(ItemKind kind) const;
    /// outcomeText() of every category that was scanned, for an export's index page.
    std::map<ItemKind, std::string> outcomeTexts() const;

    /// Held exclusively by the worker while it completes a category (builds
    /// summaries, adds the category to the tally); see the note on threads.
    std::shared_mutex& resultsLock() const { return m_resultsLock; }

    const ScanResults& results() const { return m_results; }
    ScanResults& results() { return m_results; }
    const SelectionTally& tally() const { return m_tally; }
    SelectionTally& tally() { return m_tally; }
    /// The current scan source (for export copies and previews), or null.
    ScanSource* source() { return m_source.get(); }

    /// The progress callback handed to the source (`run` is the ScanRun).
    static std::int32_t progress(void* run, std::int32_t percent);

private:
    void work();
    Status runCategories();
    void completeCategory(ItemKind kind, bool addToTally);
    void announceResults(ItemKind kind);
    void recordOutcome(ItemKind kind, Status result);
    void recomputeCounts();
    void clearResults();
    void joinWorker();

    BackupStore& m_store;
    ScanObserver* m_observer;
    ScanSourceFactory m_factory;
    ScanRequest m_request;
    std::unique_ptr<ScanSource> m_source;
    ScanResults m_results;
    SelectionTally m_tally;
    WorkerControl m_control;        ///< the scan lock, stop request and finished flag
    mutable std::mutex m_stateLock; ///< guards lastPercent, counts, firstResult
    mutable std::shared_mutex m_resultsLock; ///< guards the tally and completion's containers
    int m_lastPercent = 0;
    bool m_openedAnnounced = false;
    std::array<std::uint32_t, kItemKindCount> m_counts{};
    ItemKind m_firstResult = ItemKind::None;
    std::array<CategoryOutcome, kItemKindCount> m_outcomes{};
    bool m_manifestUnread = false; ///< open found no readable manifest (worker only)
    std::atomic<Status> m_lastResult{kStatusOk};
    std::atomic<Status> m_openResult{kStatusOk};
    bool m_paused = false;
    std::thread m_worker;
};

} // namespace orvelle
