#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

TEST(ProgramFolderTest, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
#ifdef _WIN32
    EXPECT_TRUE(std::filesystem::exists(folder / "test_platform.exe"));
#else
    EXPECT_TRUE(std::filesystem::exists(folder / "test_platform"));
#endif
}

} // namespace
} // namespace orvelle::platform
