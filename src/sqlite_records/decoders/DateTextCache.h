#pragma once
/// appleTimeText and unixTimeText for many dates in a row: the same texts,
/// with the time zone's offset looked up once per hour of UTC instead of for
/// every date. An hour whose offset differs at its first and its last second
/// holds a change of time (daylight saving); its dates are broken down one by
/// one as before.

#include <array>
#include <cstdint>
#include <string>

namespace orvelle {

class DateTextCache {
public:
    /// Same text as appleTimeText(appleSeconds).
    std::string appleText(std::int64_t appleSeconds);
    /// Same text as unixTimeText(unixSeconds).
    std::string unixText(std::int64_t unixSeconds);

private:
    bool uniformOffset(std::int64_t hour, std::int64_t& offset);

    std::int64_t m_hour = INT64_MIN;
    bool m_uniform = false;
    std::int64_t m_offset = 0;
    /// The local day last formatted and its text, "YYYY-MM-DD 00:00:00".
    std::int64_t m_day = INT64_MIN;
    std::array<char, 19> m_dayText{'0', '0', '0', '0', '-', '0', '0', '-', '0', '0',
                                   ' ', '0', '0', ':', '0', '0', ':', '0', '0'};
};

} // namespace orvelle
