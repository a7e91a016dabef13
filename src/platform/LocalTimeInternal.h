#pragma once
/// What the local-time bodies of each system share.

#include "platform/LocalTime.h"

#include <ctime>

namespace orvelle::platform {

// Years beyond 9999 do not fit the record texts; treat them as unrepresentable.
constexpr std::int64_t kMaxUnix = 253402300799; // 9999-12-31 23:59:59
constexpr std::int64_t kMinUnix = -62135596800; // 0001-01-01 00:00:00

/// Copies a broken-down C time into `out`; always true.
bool fillFromTm(const std::tm& tm, CalendarTime& out);

} // namespace orvelle::platform
