#include "core/AppleTime.h"

#include "platform/LocalTime.h"

#include <cstdio>

namespace orvelle {

namespace {

std::string calendarText(const platform::CalendarTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

} // namespace

std::string unixTimeText(std::int64_t unixSeconds) {
    platform::CalendarTime t;
    if (!platform::breakDownLocal(unixSeconds, t)) return {};
    return calendarText(t);
}

std::string floatingAppleTimeText(std::int64_t appleSeconds) {
    if (appleSeconds > INT64_MAX - kAppleEpochOffset) return {};
    platform::CalendarTime t;
    if (!platform::breakDownUtc(appleSeconds + kAppleEpochOffset, t)) return {};
    return calendarText(t);
}

std::string appleTimeText(std::int64_t appleSeconds) {
    // Guard the addition: a hostile value must not overflow.
    if (appleSeconds > INT64_MAX - kAppleEpochOffset) return {};
    return unixTimeText(appleSeconds + kAppleEpochOffset);
}

} // namespace orvelle
