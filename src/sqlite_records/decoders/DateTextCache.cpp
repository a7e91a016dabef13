#include "sqlite_records/decoders/DateTextCache.h"

#include "core/AppleTime.h"
#include "platform/LocalTime.h"

namespace orvelle {

namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;
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

/// The UTC calendar fields of a Unix time (proleptic Gregorian; Howard
/// Hinnant's days-to-civil algorithm), without the C library's locks.
void civilFromUnix(std::int64_t unixSeconds, platform::CalendarTime& t) {
    std::int64_t days = unixSeconds / 86400;
    std::int64_t secondOfDay = unixSeconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    t.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    t.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
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
    const std::int64_t local = unixSeconds + offset;
    // Dates come in runs of the same day: its "YYYY-MM-DD " is kept.
    std::int64_t day = local / kDay;
    std::int64_t secondOfDay = local % kDay;
    if (secondOfDay < 0) {
        secondOfDay += kDay;
        --day;
    }
    if (day != m_day) {
        platform::CalendarTime t;
        civilFromUnix(local, t);
        putDigits(&m_dayText[0], t.year, 4);
        putDigits(&m_dayText[5], t.month, 2);
        putDigits(&m_dayText[8], t.day, 2);
        m_day = day;
    }
    std::string text(m_dayText.data(), m_dayText.size());
    putDigits(&text[11], static_cast<int>(secondOfDay / 3600), 2);
    putDigits(&text[14], static_cast<int>(secondOfDay / 60 % 60), 2);
    putDigits(&text[17], static_cast<int>(secondOfDay % 60), 2);
    return text;
}

std::string DateTextCache::appleText(std::int64_t appleSeconds) {
    if (appleSeconds > INT64_MAX - kAppleEpochOffset) return {};
    return unixText(appleSeconds + kAppleEpochOffset);
}

} // namespace orvelle
