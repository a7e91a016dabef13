#include "backup/BackupDate.h"

#include "platform/LocalTime.h"

#include <cstdio>
#include <optional>

namespace orvelle {

namespace {
/// The decimal integer at the start of `text` (leading blanks and a sign
/// allowed, as the C library reads it), capped so it never overflows.
int leadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value < 1000000) value = value * 10 + (text[i] - '0');
    return static_cast<int>(negative ? -value : value);
}

/// Position just after the `nth` occurrence (from 1) of `c`, searching from `from`.
std::optional<std::size_t> after(std::string_view text, char c, std::size_t from = 0) {
    const auto pos = text.find(c, from);
    if (pos == std::string_view::npos) return std::nullopt;
    return pos + 1;
}
} // namespace

std::string toLocalTimeText(std::string_view utcText) {
    const auto dash1 = after(utcText, '-');
    if (!dash1) return {};
    const auto dash2 = after(utcText, '-', *dash1);
    const auto blank = after(utcText, ' ');
    const auto colon1 = after(utcText, ':');
    if (!dash2 || !blank || !colon1) return {};
    const auto colon2 = after(utcText, ':', *colon1);
    if (!colon2) return {};

    platform::CalendarTime t;
    t.year = leadingInt(utcText);
    t.month = leadingInt(utcText.substr(*dash1));
    t.day = leadingInt(utcText.substr(*dash2));
    t.hour = leadingInt(utcText.substr(*blank));
    t.minute = leadingInt(utcText.substr(*colon1));
    t.second = leadingInt(utcText.substr(*colon2));
    if (t.year < 1601 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 ||
        t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return {};

    const std::int64_t local =
        platform::unixTimeFromUtc(t) - std::int64_t{platform::standardBiasMinutes()} * 60;
    platform::CalendarTime out;
    if (!platform::breakDownUtc(local, out)) return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", out.year, out.month, out.day, out.hour,
                  out.minute, out.second);
    return buf;
}

std::string rewriteStoredDate(std::string_view stored) {
    std::string text(stored);
    const auto t = text.find('T');
    if (t != std::string::npos) {
        text[t] = ' ';
        // The two hour digits after the blank, rewritten as the two-digit form of their value.
        if (t + 2 < text.size()) {
            const int hour = leadingInt(std::string_view(text).substr(t + 1, 2));
            char digits[16];
            std::snprintf(digits, sizeof digits, "%02d", hour % 100 < 0 ? 0 : hour % 100);
            text[t + 1] = digits[0];
            text[t + 2] = digits[1];
        }
    }
    if (const auto z = text.find('Z'); z != std::string::npos) text.resize(z);
    return text;
}

std::string backupDateText(std::string_view stored) {
    std::string rewritten = rewriteStoredDate(stored);
    std::string local = toLocalTimeText(rewritten);
    return local.empty() ? rewritten : local;
}

} // namespace orvelle
