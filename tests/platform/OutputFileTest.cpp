#include "platform/OutputFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

TEST(OutputFileTest, CreatesNewOnlyWhereNothingExists) {
    test::TempFolder folder;
    std::error_code ec;
    OutputFile file;
    ASSERT_TRUE(file.createNew(folder / "a.txt", ec));
    ASSERT_TRUE(file.writeAt(0, "new", 3, ec));
    ASSERT_TRUE(file.close(ec));
    EXPECT_EQ(test::readFile(folder / "a.txt"), "new");

    test::writeFile(folder / "b.txt", "keep");
    EXPECT_FALSE(file.createNew(folder / "b.txt", ec));
    EXPECT_EQ(ec, std::errc::file_exists);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(test::readFile(folder / "b.txt"), "keep");
    EXPECT_FALSE(file.createNew(folder / "missing" / "c.txt", ec));
    EXPECT_NE(ec, std::errc::file_exists);
}

} // namespace
} // namespace orvelle::platform
