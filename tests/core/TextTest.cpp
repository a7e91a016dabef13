#include "core/AppleTime.h"
#include "core/Text.h"

#include "support/Environment.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orvelle {
namespace {

TEST(Text, Utf8ValidityAndAcceptance) {
    struct Case {
        const char* text;
        bool valid;
        bool acceptable;
    } cases[] = {
        {"plain", true, true},
        {"gr\xC3\xBC\xC3\x9F" "e", true, true},
        {"\xF0\x9F\x98\x80", true, true},            // emoji, 4 bytes
        {"bad \xC3", false, false},                   // truncated sequence
        {"\xC0\xAF", false, false},                   // overlong "/"
        {"\xED\xA0\x80", false, false},               // surrogate
        {"x\xEF\xBF\xBDy", true, false},              // U+FFFD makes a row invalid
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
        EXPECT_EQ(isAcceptableText(c.text), c.acceptable) << c.text;
    }
}

TEST(Text, CaseInsensitiveCompare) {
    EXPECT_EQ(compareIgnoreCase("abc", "ABC"), 0);
    EXPECT_LT(compareIgnoreCase("abc", "ABD"), 0);
    EXPECT_GT(compareIgnoreCase("abcd", "ABC"), 0);
    EXPECT_TRUE(equalsIgnoreCase("SQLite", "sqlite"));
}

TEST(AppleTime, FormatsLocalTime) {
    test::ScopedTimeZone utc("UTC");
    EXPECT_EQ(appleTimeText(0), "2001-01-01 00:00:00");
    EXPECT_EQ(unixTimeText(0), "1970-01-01 00:00:00");
    test::setTimeZone("CET-1");
    EXPECT_EQ(appleTimeText(0), "2001-01-01 01:00:00");
    test::setTimeZone("UTC");
    EXPECT_EQ(appleTimeText(INT64_MAX), "");
}

} // namespace
} // namespace orvelle
