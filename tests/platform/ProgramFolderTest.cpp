#include "platform/ProgramFolder.h"

#include "platform/NewFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

TEST(ProgramFolderTest, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::exists(folder / "test_platform"));
}

TEST(NewFileTest, CreatesOnlyWhereNothingExists) {
    test::TempFolder folder;
    std::error_code ec;
    ASSERT_TRUE(createNewFile(folder / "a.txt", ec));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "a.txt"));
    test::writeFile(folder / "b.txt", "keep");
    EXPECT_FALSE(createNewFile(folder / "b.txt", ec));
    EXPECT_EQ(ec, std::errc::file_exists);
    EXPECT_EQ(test::readFile(folder / "b.txt"), "keep");
    EXPECT_FALSE(createNewFile(folder / "missing" / "c.txt", ec));
    EXPECT_NE(ec, std::errc::file_exists);
}

} // namespace
} // namespace orvelle::platform
