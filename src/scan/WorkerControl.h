#pragma once
/// The hand-shake between a user interface and a worker (scan, export or
/// print page): the worker calls checkpoint() at every progress report; the
/// user interface pauses it by holding the lock (pause button, or while it
/// asks whether to stop), asks it to stop with requestStop(), and waits for
/// finished() after a confirmed stop.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orvelle {

class WorkerControl {
public:
    /// Called by the worker when it starts: clears the stop request and the finished flag.
    void begin();
    /// Called by the worker as its last step.
    void end();

    /// Worker side: waits while the user interface holds the lock, then
    /// answers false when a stop was requested.
    bool checkpoint();
    /// Worker side: takes the lock for a report, waiting while the user
    /// interface holds it; release() gives it back.
    void enterReport();
    /// True while the worker waits for the lock: a pause has taken hold.
    bool workerWaiting() const { return m_waiting.load() > 0; }

    /// User-interface side: the worker blocks at its next checkpoint until release().
    void hold() { m_lock.lock(); }
    void release() { m_lock.unlock(); }
    /// Asks the worker to stop at its next checkpoint; safe with or without the lock held.
    void requestStop() { m_stop.store(true); }

    /// Worker side: a step no pause may interrupt (waits while the user
    /// interface holds the lock). With unlock(), makes the control usable
    /// with std::lock_guard.
    void lock() { m_lock.lock(); }
    void unlock() { m_lock.unlock(); }

    bool stopRequested() const { return m_stop.load(); }
    /// True when no worker runs (before the first begin() and after end()).
    bool finished() const { return m_finished.load(); }
    /// Waits until the worker has finished or `timeout` has passed; answers
    /// finished(). Returns as soon as the worker ends, so a waiting user
    /// interface that also polls for something else loses no time.
    bool waitFinished(std::chrono::milliseconds timeout);

private:
    std::mutex m_lock;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_waiting{0};
    std::atomic<bool> m_finished{true};
    std::mutex m_finishLock; ///< with m_finishedSignal: wakes waitFinished()
    std::condition_variable m_finishedSignal;
};

} // namespace orvelle
