#pragma once
/// Dates in records are local-time texts "YYYY-MM-DD hh:mm:ss", so comparing
/// them as text orders them in time.

#include <cstdint>
#include <string>

namespace orvelle {

/// Seconds from 1970-01-01 to 2001-01-01, the Apple reference date.
constexpr std::int64_t kAppleEpochOffset = 978307200;

/// An Apple time (seconds since 2001-01-01 00:00:00 UTC) as local-time text.
/// Empty when the value cannot be broken down.
std::string appleTimeText(std::int64_t appleSeconds);

/// A floating Apple time as text: a wall-clock time that belongs to no time
/// zone (all-day events, reminders without a zone) is stored as if it were
/// UTC, so it is broken down in UTC and shown as stored.
std::string floatingAppleTimeText(std::int64_t appleSeconds);

/// A Unix time (seconds since 1970-01-01 00:00:00 UTC) as local-time text.
std::string unixTimeText(std::int64_t unixSeconds);

} // namespace orvelle
