#include "scan/DisplayText.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(DisplayTextTest, Sizes) {
    EXPECT_EQ(sizeText(1023), "1023 Bytes");
    EXPECT_EQ(sizeText(1024), "1.00 KB");
    EXPECT_EQ(sizeText(1048576), "1.00 MB");
    EXPECT_EQ(sizeText(std::int64_t{3} << 30), "3.00 GB");
    EXPECT_EQ(sizeText(std::int64_t{1} << 40), "1.00 TB");
    EXPECT_EQ(sizeText(-5), "-5 Bytes");
}

TEST(DisplayTextTest, DurationsAndCallStates) {
    EXPECT_EQ(durationText(59), "59 Sec");
    EXPECT_EQ(durationText(60), "1 Min 0 Sec");
    EXPECT_EQ(durationText(3600), "1 Hour 0 Min");
    CallRecord call;
    call.incoming = 1;
    EXPECT_EQ(callStatusText(call), "Missed");
    EXPECT_EQ(callStateText(call), "Missed");
    EXPECT_EQ(callDirectionText(call), "Incoming");
    call.incoming = 0;
    EXPECT_EQ(callStatusText(call), "Canceled");
    EXPECT_EQ(callStateText(call), "Canceled");
    EXPECT_EQ(callDirectionText(call), "Outgoing");
    call.duration = 75;
    EXPECT_EQ(callStatusText(call), "1 Min 15 Sec");
    EXPECT_EQ(callStateText(call), "Answered");
}

} // namespace
} // namespace orvelle
