#pragma once
/// Local time as the operating system sees it.

#include <cstdint>

namespace orvelle::platform {

struct CalendarTime {
    int year = 0, month = 0, day = 0; ///< month and day from 1
    int hour = 0, minute = 0, second = 0;
};

/// Breaks a Unix time down in the local time zone (daylight saving applied).
/// False when the value is outside what the system can represent.
bool breakDownLocal(std::int64_t unixSeconds, CalendarTime& out);

/// Breaks a Unix time down as UTC.
bool breakDownUtc(std::int64_t unixSeconds, CalendarTime& out);

/// Unix time of a UTC calendar time (no range checks beyond the calendar's own).
std::int64_t unixTimeFromUtc(const CalendarTime& t);

/// The time zone's standard bias in minutes (UTC = local + bias), without
/// daylight saving: -60 for Central European Time.
int standardBiasMinutes();

} // namespace orvelle::platform
