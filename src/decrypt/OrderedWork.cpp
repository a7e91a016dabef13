#include "decrypt/OrderedWork.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace orvelle::decrypt {

unsigned workThreadCount() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkThreads);
}

std::size_t OrderedWork::run(std::size_t count, const Item& work, const Item& finished,
                             const StopCheck& stop) const {
    return runOnWorkers(
        count, [&work](std::size_t index, unsigned) { work(index); }, finished, stop);
}

std::size_t OrderedWork::runOnWorkers(std::size_t count, const WorkerItem& work, const Item& finished,
                                      const StopCheck& stop) const {
    const std::size_t threads = std::min<std::size_t>(m_threads, count);
    if (threads <= 1) {
        std::size_t index = 0;
        for (; index < count && !stop(); ++index) {
            work(index, 0);
            finished(index);
        }
        return index;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> done(count, 0); // guarded by `mutex`
    std::size_t running = threads;    // workers not yet ended; guarded by `mutex`
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopping{false};

    // A worker finishes every item it has taken before it ends, so an item
    // that is not done once all workers have ended was never started.
    auto worker = [&](unsigned number) {
        while (!stopping.load()) {
            if (stop()) {
                stopping = true;
                break;
            }
            const std::size_t index = next.fetch_add(1);
            if (index >= count) break;
            work(index, number);
            std::lock_guard lock(mutex);
            done[index] = 1;
            changed.notify_all();
        }
        std::lock_guard lock(mutex);
        --running;
        changed.notify_all();
    };
    std::vector<std::thread> workers;
    workers.reserve(threads);
    try {
        for (std::size_t i = 0; i < threads; ++i)
            workers.emplace_back(worker, static_cast<unsigned>(i));
    } catch (const std::system_error&) {
        // The system has no thread to spare: go on with those that started.
        std::lock_guard lock(mutex);
        running -= threads - workers.size();
    }
    if (workers.empty()) return OrderedWork(1).runOnWorkers(count, work, finished, stop);

    std::size_t index = 0;
    for (; index < count; ++index) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return done[index] != 0 || running == 0; });
        if (done[index] == 0) break;
        lock.unlock();
        finished(index);
    }
    for (std::thread& thread : workers)
        thread.join();
    return index;
}

} // namespace orvelle::decrypt
