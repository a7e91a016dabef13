// What the command line prints of a backup's texts: every control character
// a terminal would obey is shown as an escape, the rest stays as it is.
#include "core/TerminalText.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(TerminalText, ControlCharactersAreShownEscaped) {
    const struct {
        std::string in;
        const char* out;
    } cases[] = {
        {"Anna's iPhone", "Anna's iPhone"},
        {"caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80"},
        {"C:\\Users\\ann\\Backup", "C:\\Users\\ann\\Backup"},
        // The terminal's title, a cleared screen, the bell, a rewritten line.
        {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},
        {"\x1b[2Jname", "\\x1b[2Jname"},
        {"real\rfake", "real\\rfake"},
        {"row\n2024-01-01  fake row", "row\\n2024-01-01  fake row"},
        {"a\tb", "a\\tb"},
        {"\x01\x1f\x7f", "\\x01\\x1f\\x7f"},
        {std::string("nul\0!", 5), "nul\\x00!"},
        // C1 controls (CSI as U+009B), bidi overrides and isolates, line separators.
        {"\xC2\x9B" "2J", "\\u009b2J"},
        {"\xC2\x85", "\\u0085"},
        {"gpj.\xE2\x80\xAE" "exe", "gpj.\\u202eexe"},
        {"\xE2\x81\xA6x\xE2\x81\xA9", "\\u2066x\\u2069"},
        {"\xE2\x80\x8F\xD8\x9C", "\\u200f\\u061c"},
        {"a\xE2\x80\xA8" "b", "a\\u2028b"},
        // Bytes that are not UTF-8: a lone continuation, a cut sequence, an overlong, a surrogate.
        {"\x80", "\\x80"},
        {"ab\xC3", "ab\\xc3"},
        {"\xC0\xAF", "\\xc0\\xaf"},
        {"\xED\xA0\x80", "\\xed\\xa0\\x80"},
        {"\xFF\x1b", "\\xff\\x1b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(terminalText(c.in), c.out) << c.in;
}

} // namespace
} // namespace orvelle
