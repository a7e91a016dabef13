#ifdef _WIN32

#include "platform/LocalTime.h"

#include "platform/LocalTimeInternal.h"

#include <windows.h>

#include <cstdlib>

// Windows keeps the time zone in its own settings, which the C runtime's
// localtime reads only when the TZ variable is unset, and then with the rules
// of the current year for every year. So: a TZ variable (set by the user or a
// test, as on other systems) goes through the C runtime; otherwise the
// system's own conversion, with the daylight-saving rules of each year.

namespace orvelle::platform {

namespace {

// Seconds from 1601-01-01 (the start of FILETIME) to 1970-01-01.
constexpr std::int64_t kFileTimeToUnixSeconds = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000; // FILETIME counts 100 ns

bool zoneFromEnvironment() {
    const char* zone = std::getenv("TZ");
    return zone != nullptr && *zone != '\0';
}

bool fillFromSystemTime(const SYSTEMTIME& time, CalendarTime& out) {
    out.year = time.wYear;
    out.month = time.wMonth;
    out.day = time.wDay;
    out.hour = time.wHour;
    out.minute = time.wMinute;
    out.second = time.wSecond;
    return true;
}

} // namespace

bool breakDownLocal(std::int64_t unixSeconds, CalendarTime& out) {
    if (unixSeconds < kMinUnix || unixSeconds > kMaxUnix) return false;
    if (zoneFromEnvironment()) {
        _tzset();
        const std::time_t t = static_cast<std::time_t>(unixSeconds);
        std::tm tm{};
        if (localtime_s(&tm, &t) == 0) return fillFromTm(tm, out);
        // Outside the C runtime's years (1970 to 3000): standard time only.
        return breakDownUtc(unixSeconds - _timezone, out);
    }
    if (unixSeconds < -kFileTimeToUnixSeconds) return false; // before 1601
    const std::uint64_t ticks = static_cast<std::uint64_t>(unixSeconds + kFileTimeToUnixSeconds) * kTicksPerSecond;
    FILETIME fileTime{};
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!::FileTimeToSystemTime(&fileTime, &utc)) return false;
    // The zone's rules for that year where the system keeps a history of
    // them, else its current rules.
    TIME_ZONE_INFORMATION zone{};
    const bool forYear = ::GetTimeZoneInformationForYear(utc.wYear, nullptr, &zone) != 0;
    if (!::SystemTimeToTzSpecificLocalTime(forYear ? &zone : nullptr, &utc, &local)) return false;
    return fillFromSystemTime(local, out);
}

int standardBiasMinutes() {
    if (zoneFromEnvironment()) {
        _tzset();
        // `_timezone` is seconds west of UTC for standard time, as on POSIX.
        return static_cast<int>(_timezone / 60);
    }
    TIME_ZONE_INFORMATION zone{};
    if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return 0;
    // UTC = local + Bias (+ StandardBias, nearly always 0, outside daylight saving).
    return static_cast<int>(zone.Bias + zone.StandardBias);
}

} // namespace orvelle::platform

#endif
