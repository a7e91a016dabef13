#include "sqlite_records/decoders/DateTextCache.h"

#include "core/AppleTime.h"
#include "sqlite_records/decoders/DateOrder.h"
#include "support/Environment.h"

#include <gtest/gtest.h>
#include <string>

namespace orvelle {
namespace {

using ZoneScope = test::ScopedTimeZone;

TEST(DateTextCacheTest, SameTextsAsTheDirectBreakDownAcrossChangesOfTime) {
    // Zones with daylight saving on the hour, on the half hour (Lord Howe
    // Island moves by 30 minutes), and without.
    const bool zoneData = test::zoneDataInstalled();
    for (const char* zone :
         {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Kolkata"}) {
        if (!zoneData && std::string_view(zone) != "UTC") continue;
        ZoneScope scope(zone);
        DateTextCache cache;
        // 2021-01-01 to 2022-01-01 in steps of 7 minutes 13 seconds, and a
        // jump back now and then.
        for (std::int64_t t = 1609459200; t < 1640995200; t += 433) {
            ASSERT_EQ(cache.unixText(t), unixTimeText(t)) << zone << " " << t;
            if (t % 97 == 0) ASSERT_EQ(cache.unixText(t - 86400 * 40), unixTimeText(t - 86400 * 40)) << zone;
        }
        for (const std::int64_t apple :
             {std::int64_t{0}, std::int64_t{-1}, std::int64_t{704735807}, std::int64_t{-978307200},
              std::int64_t{INT64_MAX}, std::int64_t{INT64_MIN}, std::int64_t{300000000000}})
            EXPECT_EQ(cache.appleText(apple), appleTimeText(apple)) << zone << " " << apple;
    }
    if (!zoneData)
        GTEST_SKIP() << "no time-zone data on this system (Europe/Berlin reads as UTC): only UTC was tested";
}

TEST(DateOrderTest, DatesAscendingEmptyFirstEqualDatesInDecodeOrder) {
    struct Item {
        std::string date;
        int id;
    };
    const std::vector<Item> items{
        {"2020-01-02 00:00:00", 0}, {"", 1}, {"2020-01-01 23:59:59", 2}, {"2020-01-02 00:00:00", 3}, {"", 4}};
    const auto order = dateOrder(items);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{1, 4, 2, 0, 3}));
    // A text of another form falls back to comparing texts.
    const std::vector<Item> odd{{"b", 0}, {"a", 1}, {"a", 2}};
    EXPECT_EQ(dateOrder(odd), (std::vector<std::uint32_t>{1, 2, 0}));
}

} // namespace
} // namespace orvelle
