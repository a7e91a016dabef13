#include "platform/LocalTime.h"

#include "platform/LocalTimeInternal.h"

// The UTC arithmetic needs no system call; the local-time bodies live in
// LocalTimePosix.cpp and LocalTimeWindows.cpp.

namespace orvelle::platform {

bool breakDownUtc(std::int64_t unixSeconds, CalendarTime& out) {
    if (unixSeconds < kMinUnix || unixSeconds > kMaxUnix) return false;
    // Civil from days (proleptic Gregorian), Howard Hinnant's algorithm.
    std::int64_t days = unixSeconds / 86400;
    std::int64_t seconds = unixSeconds % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    out.year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    out.month = static_cast<int>(month);
    out.day = static_cast<int>(day);
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return true;
}

std::int64_t unixTimeFromUtc(const CalendarTime& t) {
    // Days from civil (proleptic Gregorian), Howard Hinnant's algorithm.
    std::int64_t y = t.year - (t.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t m = t.month;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

bool fillFromTm(const std::tm& tm, CalendarTime& out) {
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return true;
}

} // namespace orvelle::platform
