#include "platform/OutputFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

#ifndef _WIN32
TEST(OutputFileTest, APrivateFileIsForTheUserAloneWhateverTheUmaskAndWhatWasThere) {
    test::TempFolder folder;
    test::writeFile(folder / "existing", "old");
    ::chmod((folder / "existing").c_str(), 0666);
    const mode_t before = ::umask(0);
    std::error_code ec;
    for (const char* name : {"new", "existing"}) {
        OutputFile file;
        file.setPrivateToUser(true);
        ASSERT_TRUE(file.create(folder / name, false, ec)) << name;
        ASSERT_TRUE(file.close(ec));
    }
    OutputFile plain;
    ASSERT_TRUE(plain.create(folder / "plain", false, ec));
    ::umask(before);
    auto modeOf = [&](const char* name) {
        struct stat info {};
        ::stat((folder / name).c_str(), &info);
        return info.st_mode & 0777;
    };
    EXPECT_EQ(modeOf("new"), 0600u);
    EXPECT_EQ(modeOf("existing"), 0600u);
    EXPECT_EQ(modeOf("plain"), 0644u) << "other files keep the usual mode";
}
#endif

} // namespace
} // namespace orvelle::platform
