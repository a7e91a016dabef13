#include "backup/encryption/DecryptProgress.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace orvelle {
namespace {

struct Recorder {
    std::vector<std::int32_t> reports;
    std::int32_t answer = 0;
    ProgressReport fn() {
        return [this](std::int32_t v) {
            reports.push_back(v);
            return answer;
        };
    }
};

TEST(DecryptProgress, FirstCountReportsOneThenTheShare) {
    Recorder r;
    std::int32_t progress = 0;
    DecryptProgress tracker(progress, 10, 100, r.fn());
    EXPECT_EQ(tracker.onOutput("Count: 25\n"), kStatusOk);
    EXPECT_EQ(r.reports, (std::vector<std::int32_t>{1, 3})); // 1 + 10 x 25 / 100
    EXPECT_EQ(tracker.onOutput("Count: 100\n"), kStatusOk);
    tracker.finish();
    EXPECT_EQ(r.reports, (std::vector<std::int32_t>{1, 3, 11, 11}));
    EXPECT_EQ(progress, 1) << "the closing report leaves progress alone";
}

TEST(DecryptProgress, PiecesOfOutput) {
    struct Case {
        const char* name;
        std::vector<std::string> reads;
        std::uint64_t files;
        std::vector<std::int32_t> expected; // reports before the closing one
        Status status;
    };
    const Case cases[] = {
        {"two counts in one read: the first wins", {"Count: 3\nCount: 7\n"}, 10, {1, 4}, kStatusOk},
        {"count and wrong password: no report", {"Count: 5\nWrong password\n"}, 10, {}, kStatusWrongPassword},
        {"wrong password alone", {"Wrong password\n"}, 10, {}, kStatusWrongPassword},
        {"a line without a count reports the base", {"Skipped abc: truncated\n"}, 10, {0}, kStatusOk},
        {"a line split across reads", {"Cou", "nt: 5\n"}, 10, {1, 6}, kStatusOk},
        {"an empty backup listing adds nothing", {"Count: 5\n"}, 0, {1, 1}, kStatusOk},
        {"a count beyond the listing is not clamped", {"Count: 30\n"}, 10, {1, 31}, kStatusOk},
        {"a huge count stays in range",
         {"Count: 99999999999999999999999\n"},
         1,
         {1, std::numeric_limits<std::int32_t>::max()},
         kStatusOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        std::int32_t progress = 0;
        DecryptProgress tracker(progress, 10, c.files, r.fn());
        Status status = kStatusOk;
        for (const std::string& read : c.reads)
            if ((status = tracker.onOutput(read)) != kStatusOk) break;
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(r.reports, c.expected);
    }
}

TEST(DecryptProgress, AStopAnswerEndsTheRunWithThatAnswer) {
    Recorder r;
    r.answer = kStatusStopped;
    std::int32_t progress = 0;
    DecryptProgress tracker(progress, 10, 100, r.fn());
    EXPECT_EQ(tracker.onOutput("Count: 0\n"), kStatusStopped);
    EXPECT_EQ(r.reports, (std::vector<std::int32_t>{1}));
}

// While the program prints nothing (it derives the password key for
// seconds) the last value is reported again, so a stop answer is heard.
TEST(DecryptProgress, AQuietProgramRepeatsTheLastReport) {
    Recorder r;
    std::int32_t progress = 4; // the store's running value
    DecryptProgress tracker(progress, 10, 100, r.fn());
    EXPECT_EQ(tracker.onQuiet(), kStatusOk);
    EXPECT_EQ(tracker.onOutput("Count: 50\n"), kStatusOk);
    EXPECT_EQ(tracker.onQuiet(), kStatusOk);
    EXPECT_EQ(r.reports, (std::vector<std::int32_t>{4, 9, 9}));
    r.answer = kStatusStopped;
    EXPECT_EQ(tracker.onQuiet(), kStatusStopped);
    EXPECT_EQ(progress, 4);
}

TEST(DecryptProgress, UnfinishedLastLineIsTakenAtTheEnd) {
    Recorder r;
    std::int32_t progress = 0;
    DecryptProgress tracker(progress, 10, 10, r.fn());
    std::vector<std::string> messages;
    tracker.setMessageSink([&](std::string_view line) { messages.emplace_back(line); });
    EXPECT_EQ(tracker.onOutput("Count: 2\nError: disk full"), kStatusOk);
    EXPECT_EQ(tracker.onEndOfOutput(), kStatusOk);
    EXPECT_EQ(messages, std::vector<std::string>{"Error: disk full"});
    EXPECT_EQ(r.reports, (std::vector<std::int32_t>{1, 3, 1}));
}

TEST(DecryptProgress, FirstCount) {
    EXPECT_EQ(DecryptProgress::firstCount("Count: 42\n"), 42u);
    EXPECT_EQ(DecryptProgress::firstCount("x Count:7 Count: 9"), 7u);
    EXPECT_EQ(DecryptProgress::firstCount("Count: \n"), 0u);
    EXPECT_EQ(DecryptProgress::firstCount("no count"), std::nullopt);
}

} // namespace
} // namespace orvelle
