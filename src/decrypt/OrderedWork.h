#pragma once
/// Runs numbered work items on a few threads and hands the finished items
/// back to the calling thread in their order, so that whatever the caller
/// reports about them (progress counts, messages) comes out as if the items
/// had been done one after another.

#include <cstddef>
#include <functional>

namespace orvelle::decrypt {

/// Upper bound on worker threads: file decryption is bound by the disk and
/// the file system soon after a few cores.
constexpr unsigned kMaxWorkThreads = 4;

/// Worker threads to use on this machine: one per core, 1..kMaxWorkThreads.
unsigned workThreadCount();

class OrderedWork {
public:
    using Item = std::function<void(std::size_t index)>;
    /// A work item that is also told which worker runs it (0 .. threads() - 1).
    using WorkerItem = std::function<void(std::size_t index, unsigned worker)>;
    using StopCheck = std::function<bool()>;

    /// `threads` workers (1 = everything on the calling thread).
    explicit OrderedWork(unsigned threads) : m_threads(threads == 0 ? 1 : threads) {}

    /// Runs `work(i)` for i = 0 .. count-1 on the workers and calls
    /// `finished(i)` on the calling thread for each i in increasing order once
    /// `work(i)` has returned. `work` runs concurrently with itself and with
    /// `finished`, never twice for the same i; it must not throw. `stop` is
    /// asked before each item starts: once it answers true no further item
    /// starts, and the items already started are finished. Returns how many
    /// items were finished (always the first ones); every worker has ended by
    /// then.
    std::size_t run(std::size_t count, const Item& work, const Item& finished, const StopCheck& stop) const;

    /// As run(), with `work` told the number of the worker that runs it: one
    /// worker runs one item at a time, so per-worker state (buffers, cipher
    /// contexts) can sit in a slot the caller owns, indexed by that number.
    std::size_t runOnWorkers(std::size_t count, const WorkerItem& work, const Item& finished,
                             const StopCheck& stop) const;

    /// How many workers run() uses at most.
    unsigned threads() const { return m_threads; }

private:
    unsigned m_threads;
};

} // namespace orvelle::decrypt
