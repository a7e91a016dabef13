#include "backup/encryption/ScratchFolder.h"

#include "backup/encryption/EncryptedBackupListing.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

TEST(ScratchFolder, ChoiceByFreeSpace) {
    const fs::path data = "/home/u/.local/share/QuorilOrvelle";
    const std::vector<DriveSpace> drives = {
        {"C:/", 10 * kGiB}, {"D:/", std::nullopt}, {"E:/", 40 * kGiB}, {"F:/", 40 * kGiB}, {"G:/", 5 * kGiB}};
    struct Case {
        const char* name;
        std::optional<std::uint64_t> dataFree;
        std::vector<DriveSpace> drives;
        fs::path expected;
    };
    const Case cases[] = {
        {"20 GiB free: below the data folder", 20 * kGiB, drives, data / "QuorilTempFile"},
        {"exactly 15 GiB is not enough", kScratchMinimumFreeBytes, drives,
         fs::path("E:/") / "QuorilTempFile"},
        {"10 GiB free: the first drive with the most", 10 * kGiB, drives, fs::path("E:/") / "QuorilTempFile"},
        {"data drive unknown", std::nullopt, drives, fs::path("E:/") / "QuorilTempFile"},
        {"no drive answers: the data folder after all",
         1 * kGiB,
         {{"C:/", std::nullopt}},
         data / "QuorilTempFile"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseScratchFolder(data, c.dataFree, c.drives), c.expected) << c.name;
}

TEST(ScratchFolder, ChosenOnceAndNotMadeHere) {
    test::TempFolder temp;
    const fs::path first = scratchFolder(temp / "data");
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first.filename(), "QuorilTempFile");
    EXPECT_EQ(scratchFolder(temp / "elsewhere"), first) << "fixed for the process";
    EXPECT_FALSE(fs::exists(temp / "data" / "QuorilTempFile")) << "the run folder makes and checks it";
}

TEST(ScratchFolder, EveryParentARunMayHaveUsed) {
    test::TempFolder temp;
    const std::vector<fs::path> parents = runFolderParents(temp / "data");
    ASSERT_GE(parents.size(), 2u);
    EXPECT_EQ(parents.front(), temp / "data" / "QuorilTempFile");
    EXPECT_EQ(parents.back(), fs::temp_directory_path()) << "where a run goes when its parent is unsafe";
    EXPECT_EQ(runFolderParents({}).front().filename(), "QuorilTempFile");
}

TEST(EncryptedBackupListing, CountsTwoLevels) {
    test::TempFolder temp;
    test::writeFile(temp / "Info.plist", "i");
    test::writeFile(temp / "Manifest.db", "m");
    test::writeFile(temp / "ab" / "ab01", "1");
    test::writeFile(temp / "ab" / "ab02", "2");
    test::writeFile(temp / "cd" / "cd01", "3");
    test::writeFile(temp / "cd" / "deeper" / "x", "not counted");
    test::writeFile(temp / ".hidden", "left out");
    std::vector<fs::path> files;
    ASSERT_TRUE(listEncryptedBackupFiles(temp.path(), files));
    EXPECT_EQ(files.size(), 6u); // Info.plist, Manifest.db, ab01, ab02, cd01, cd/deeper
    EXPECT_FALSE(listEncryptedBackupFiles(temp / "missing", files));
}

} // namespace
} // namespace orvelle
