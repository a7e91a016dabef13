#include "sqlite_records/decoders/DateTextCache.h"

#include "core/AppleTime.h"
#include "platform/LocalTime.h"

namespace orvelle {

namespace {

constexpr std::int64_t kHour = 3600;
/// Dates handled through the cached offset: years 1000 to 9998, where the
/// text has four digits of year even after the zone's offset is applied.
constexpr std::int64_t kFirstCached = -30610224000; // 1000-01-01 00:00:00 UTC
constexpr std::int64_t kLastCached = 253370764800;  // 9998-12-31 00:00:00 UTC

/// Seconds to add to a UTC time for local time at `unixSeconds`; false when
/// the time cannot be broken down.
bool offsetAt(std::int64_t unixSeconds, std::int64_t& offset) {
    platform::CalendarTime local;
    if (!platform::breakDownLocal(unixSeconds, local)) return false;
    offset = platform::unixTimeFromUtc(local) - unixSeconds;
    return true;
}

void putDigits(char* at, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

} // namespace

bool DateTextCache::uniformOffset(std::int64_t hour, std::int64_t& offset) {
    if (hour != m_hour) {
        std::int64_t first = 0, last = 0;
        m_hour = hour;
        m_uniform =
            offsetAt(hour * kHour, first) && offsetAt(hour * kHour + kHour - 1, last) && first == last;
        m_offset = first;
    }
    offset = m_offset;
    return m_uniform;
}

std::string DateTextCache::unixText(std::int64_t unixSeconds) {
    std::int64_t offset = 0;
    if (unixSeconds < kFirstCached || unixSeconds > kLastCached ||
        !uniformOffset(unixSeconds >= 0 ? unixSeconds / kHour : (unixSeconds - kHour + 1) / kHour, offset))
        return unixTimeText(unixSeconds);
    platform::CalendarTime t;
    if (!platform::breakDownUtc(unixSeconds + offset, t)) return unixTimeText(unixSeconds);
    std::string text("0000-00-00 00:00:00");
    putDigits(&text[0], t.year, 4);
    putDigits(&text[5], t.month, 2);
    putDigits(&text[8], t.day, 2);
    putDigits(&text[11], t.hour, 2);
    putDigits(&text[14], t.minute, 2);
    putDigits(&text[17], t.second, 2);
    return text;
}

std::string DateTextCache::appleText(std::int64_t appleSeconds) {
    if (appleSeconds > INT64_MAX - kAppleEpochOffset) return {};
    return unixText(appleSeconds + kAppleEpochOffset);
}

} // namespace orvelle
