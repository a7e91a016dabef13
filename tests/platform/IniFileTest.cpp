#include "platform/IniFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

TEST(IniFileTest, ValuesAreTakenVerbatim) {
    const IniFile file = IniFile::parse(
        "\xEF\xBB\xBF; a comment\n"
        "[Messages]\r\n"
        "MSG0513=Selected: %s, %d item(s) of %s, %d item(s)\r\n"
        "List=one,two, three\n"
        "Escapes=C:\\new\\table \\n \"quoted\"\n"
        "Equals=a=b=c\n"
        "Twice=first\n"
        "twice=second\n"
        "NoEquals\n"
        "Empty=\n");
    struct Case {
        const char* key;
        const char* expected;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"MSG0513", "Selected: %s, %d item(s) of %s, %d item(s)"},
             {"List", "one,two, three"},
             {"Escapes", "C:\\new\\table \\n \"quoted\""},
             {"Equals", "a=b=c"},
             {"Twice", "first"},
             {"NoEquals", "NoEquals"},
             {"Empty", ""},
         })
        EXPECT_EQ(file.value("Messages", c.key, "<missing>"), c.expected) << c.key;
    EXPECT_EQ(file.value("Messages", "Absent", "<missing>"), "<missing>");
    EXPECT_EQ(file.value("Nowhere", "MSG0513"), "");
}

TEST(IniFileTest, SectionsKeepFileOrderAndRepeatedSectionsJoin) {
    const IniFile file = IniFile::parse("[B]\nx=1\n[A]\ny=2\n[b]\nz=3\nx=4\n");
    ASSERT_EQ(file.sections().size(), 2u);
    EXPECT_EQ(file.sections()[0].name, "B");
    EXPECT_EQ(file.sections()[1].name, "A");
    EXPECT_EQ(file.value("B", "z"), "3");
    EXPECT_EQ(file.value("B", "x"), "1");
}

TEST(IniFileTest, SettingAKeyKeepsTheRestAndSurvivesAWrite) {
    test::TempFolder folder;
    IniFile file = IniFile::parse("[Languages]\nEnglish=English\nChinese=简体中文\n[DefaultLanguage]\nDefault=English\n");
    file.set("DefaultLanguage", "Default", "Chinese");
    file.set("New", "Key", "v=1");
    ASSERT_TRUE(file.write(folder / "config.ini"));
    const IniFile again = IniFile::read(folder / "config.ini");
    EXPECT_EQ(again.value("DefaultLanguage", "Default"), "Chinese");
    EXPECT_EQ(again.value("Languages", "Chinese"), "简体中文");
    EXPECT_EQ(again.value("New", "Key"), "v=1");
    ASSERT_EQ(again.sections().size(), 3u);
}

TEST(IniFileTest, MissingOrUnwritableFilesFailQuietly) {
    test::TempFolder folder;
    EXPECT_TRUE(IniFile::read(folder / "absent.ini").sections().empty());
    EXPECT_FALSE(IniFile::parse("[A]\nk=v\n").write(folder / "no-such-folder" / "x.ini"));
}

} // namespace
} // namespace orvelle::platform
