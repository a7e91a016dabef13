// Escaping for HTML, quoting for CSV, and safe file names: the three guards
// between texts from a backup and the files an export writes.
#include "export/CsvText.h"
#include "export/HtmlText.h"
#include "export/SafeFileName.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(HtmlEscapeTest, MarkupIsShownAsTextAndLineBreaksStayReadable) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain text", "plain text"},
        {"<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;"},
        {"a & b \"q\" 'x'", "a &amp; b &quot;q&quot; &#39;x&#39;"},
        {"one\ntwo\r\nthree\rfour", "one<br>two<br>three<br>four"},
        {"&amp;", "&amp;amp;"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(htmlEscape(c.in), c.out) << c.in;
}

TEST(HtmlEscapeTest, PlaceholderReplacementGoesOnAfterTheInsertedValue) {
    std::string text = "{|x|} and {|x|}";
    replacePlaceholder(text, "{|x|}", "[{|x|}]");
    EXPECT_EQ(text, "[{|x|}] and [{|x|}]");
}

TEST(CsvTest, FieldsAreQuotedOnlyWhenNeeded) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvField(c.in), c.out) << c.in;
    EXPECT_EQ(csvLine({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

TEST(SafeFileNameTest, HostileNamesBecomeOneHarmlessName) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"IMG_0001.JPG", "IMG_0001.JPG"},
        {"..", "_"},
        {".", "_"},
        {"", "_"},
        {"../../etc/passwd", ".._.._etc_passwd"},
        {"..\\..\\boot.ini", ".._.._boot.ini"},
        {"a<b>c:d\"e/f\\g|h?i*j", "a_b_c_d_e_f_g_h_i_j"},
        {"tab\there\x01\x7f", "tab_here__"},
        {"trailing. . ", "trailing"},
        {"CON", "_CON"},
        {"con.txt", "_con.txt"},
        {"LPT9.log", "_LPT9.log"},
        {"COM0", "_COM0"},
        {"lpt0.txt", "_lpt0.txt"},
        {"CONSOLE", "CONSOLE"},
        {"COM10", "COM10"},
        {"CON .jpg", "_CON .jpg"},
        {"nul.txt.jpg", "_nul.txt.jpg"},
        {"Aux  .tar.gz", "_Aux  .tar.gz"},
        {"CONIN$", "_CONIN$"},
        {"conout$.log", "_conout$.log"},
        {"Clock$", "_Clock$"},
        {"com\xC2\xB9.jpg", "_com\xC2\xB9.jpg"},
        {"COM\xC2\xB2", "_COM\xC2\xB2"},
        {"LPT\xC2\xB3.png", "_LPT\xC2\xB3.png"},
        {"COM\xC2\xB4", "COM\xC2\xB4"}, // U+00B4 is an accent, not a superscript digit
        {"C\xE2\x80\xAEON", "_CON"},    // an override hid the device name
        {"photo\xE2\x80\xAEgpj.exe", "photogpj.exe"},
        {"a\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD\xE2\x80\xAE"
         "b\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8\xE2\x81\xA9"
         "c\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C.txt",
         "abc.txt"},
        {"c1\xC2\x85\xC2\x9F"
         "end\xC2\xA0",
         "c1__end\xC2\xA0"}, // NEL and APC replaced; no-break space kept
        {"\xE2\x80\xAE", "_"},
        {"\xE2\x80\xAE.\xE2\x80\xAE.", "_"},
        {"Zo\xC3\xAB", "Zo\xC3\xAB"},
        {"bad\xFFutf8", "bad_utf8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(safeFileName(c.in), c.out) << c.in;
}

TEST(SafeFileNameTest, LongNamesAreCutKeepingExtensionAndWholeCharacters) {
    std::string name;
    for (int i = 0; i < 150; ++i)
        name += "\xC3\xA9"; // 300 bytes of two-byte characters
    name += ".jpeg";
    const std::string safe = safeFileName(name);
    EXPECT_LE(safe.size(), kMaxExportNameBytes);
    EXPECT_TRUE(safe.ends_with("\xC3\xA9.jpeg"));
}

TEST(SafeFileNameTest, UniqueFilesNeverReplaceWhatExists) {
    test::TempFolder folder;
    test::writeFile(folder / "N.JPG", "old");
    std::filesystem::path created;
    ASSERT_EQ(createUniqueFile(folder / "N.JPG", created), kStatusOk);
    EXPECT_EQ(created, folder / "N(1).JPG");
    ASSERT_EQ(createUniqueFile(folder / "N.JPG", created), kStatusOk);
    EXPECT_EQ(created, folder / "N(2).JPG");
    EXPECT_EQ(test::readFile(folder / "N.JPG"), "old");
    EXPECT_NE(createUniqueFile(folder / "missing" / "x.txt", created), kStatusOk);
}

} // namespace
} // namespace orvelle
