#ifndef _WIN32

#include "platform/LocalTime.h"

#include "platform/LocalTimeInternal.h"

namespace orvelle::platform {

bool breakDownLocal(std::int64_t unixSeconds, CalendarTime& out) {
    if (unixSeconds < kMinUnix || unixSeconds > kMaxUnix) return false;
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return false;
    return fillFromTm(tm, out);
}

int standardBiasMinutes() {
    tzset();
    // POSIX `timezone` is seconds west of UTC for standard time.
    return static_cast<int>(timezone / 60);
}

} // namespace orvelle::platform

#endif
