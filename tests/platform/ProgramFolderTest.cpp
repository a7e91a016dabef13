#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

TEST(ProgramFolderTest, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::exists(folder / "test_platform"));
}

} // namespace
} // namespace orvelle::platform
