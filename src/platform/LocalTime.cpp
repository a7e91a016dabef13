#include "platform/LocalTime.h"

#include <ctime>

namespace orvelle::platform {

namespace {
bool fill(const std::tm& tm, CalendarTime& out) {
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return true;
}
// Years beyond 9999 do not fit the record texts; treat them as unrepresentable.
constexpr std::int64_t kMaxUnix = 253402300799;     // 9999-12-31 23:59:59
constexpr std::int64_t kMinUnix = -62135596800;     // 0001-01-01 00:00:00
} // namespace

bool breakDownLocal(std::int64_t unixSeconds, CalendarTime& out) {
    if (unixSeconds < kMinUnix || unixSeconds > kMaxUnix) return false;
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0) return false;
#else
    if (!localtime_r(&t, &tm)) return false;
#endif
    return fill(tm, out);
}

bool breakDownUtc(std::int64_t unixSeconds, CalendarTime& out) {
    if (unixSeconds < kMinUnix || unixSeconds > kMaxUnix) return false;
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
#ifdef _WIN32
    if (gmtime_s(&tm, &t) != 0) return false;
#else
    if (!gmtime_r(&t, &tm)) return false;
#endif
    return fill(tm, out);
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

int standardBiasMinutes() {
#ifdef _WIN32
    long tz = 0;
    _get_timezone(&tz);
    return static_cast<int>(tz / 60);
#else
    tzset();
    // POSIX `timezone` is seconds west of UTC for standard time.
    return static_cast<int>(timezone / 60);
#endif
}

} // namespace orvelle::platform
