#include "decrypt/OrderedWork.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <vector>

namespace orvelle::decrypt {
namespace {

std::vector<std::size_t> upTo(std::size_t count) {
    std::vector<std::size_t> out(count);
    std::iota(out.begin(), out.end(), 0);
    return out;
}

TEST(OrderedWork, EveryItemRunsOnceAndIsFinishedInOrder) {
    for (unsigned threads : {0u, 1u, 2u, 4u, 64u}) {
        for (std::size_t count : {0u, 1u, 3u, 500u}) {
            SCOPED_TRACE("threads " + std::to_string(threads) + ", items " + std::to_string(count));
            std::vector<std::atomic<int>> runs(count);
            std::vector<std::size_t> finished;
            const std::size_t done = OrderedWork(threads).run(
                count, [&](std::size_t i) { ++runs[i]; },
                [&](std::size_t i) {
                    EXPECT_EQ(runs[i].load(), 1) << "finished only after its work";
                    finished.push_back(i);
                },
                [] { return false; });
            EXPECT_EQ(done, count);
            EXPECT_EQ(finished, upTo(count));
            for (std::size_t i = 0; i < count; ++i)
                EXPECT_EQ(runs[i].load(), 1) << i;
        }
    }
}

TEST(OrderedWork, ALaterItemDoneFirstWaitsForTheEarlierOnes) {
    // Item 0 does not end before item 1 has: item 1 ends first, yet it is
    // finished second. (Without a second worker item 0 would wait in vain: the
    // wait gives up after a long while so that a fault fails, not hangs.)
    std::mutex mutex;
    std::condition_variable changed;
    bool oneDone = false;
    std::vector<std::size_t> ended;
    auto work = [&](std::size_t i) {
        std::unique_lock lock(mutex);
        if (i == 0) changed.wait_for(lock, std::chrono::seconds(20), [&] { return oneDone; });
        if (i == 1) oneDone = true;
        ended.push_back(i);
        changed.notify_all();
    };
    std::vector<std::size_t> finished;
    const std::size_t done = OrderedWork(2).run(
        3, work, [&](std::size_t i) { finished.push_back(i); }, [] { return false; });
    EXPECT_EQ(done, 3u);
    EXPECT_EQ(finished, upTo(3));
    const auto position = [&](std::size_t i) {
        return std::find(ended.begin(), ended.end(), i) - ended.begin();
    };
    EXPECT_LT(position(1), position(0)) << "item 1 ended first";
}

TEST(OrderedWork, AStopLetsStartedItemsEndAndStartsNoMore) {
    for (unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        constexpr std::size_t kCount = 1000;
        std::atomic<std::size_t> started{0};
        std::vector<std::atomic<int>> runs(kCount);
        std::vector<std::size_t> finished;
        const std::size_t done = OrderedWork(threads).run(
            kCount,
            [&](std::size_t i) {
                ++started;
                ++runs[i];
            },
            [&](std::size_t i) { finished.push_back(i); }, [&] { return started.load() >= 10; });
        EXPECT_GE(done, 10u);
        EXPECT_LT(done, kCount);
        EXPECT_EQ(finished, upTo(done)) << "the finished items are the first ones";
        EXPECT_EQ(started.load(), done) << "every started item was finished, no other ran";
        for (std::size_t i = 0; i < kCount; ++i)
            EXPECT_EQ(runs[i].load(), i < done ? 1 : 0) << i;
    }
}

} // namespace
} // namespace orvelle::decrypt
