#include "export/ScanSourceExport.h"

#include "backup/BackupStore.h"
#include "export/SafeFileName.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

struct Reports {
    std::vector<std::pair<int, Status>> calls;
    static int record(void* self, int percent, Status status, const fs::path&) {
        static_cast<Reports*>(self)->calls.emplace_back(percent, status);
        return 0;
    }
};

// The export creates each file new and the copy writes into it: the bytes,
// the reports and the closed file are those of the source's own copy.
TEST(ScanSourceExportTest, CopiesIntoTheNewFileTheExportCreated) {
    test::TempFolder temp;
    std::string content(65537, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 13);
    test::writeFile(temp / "stored", content);
    test::writeFile(temp / "N.JPG", "already there");

    BackupStore store({{}, {}});
    const auto local = createScanSource(1, &store);
    ScanSourceExport source(*local);
    platform::OutputFile file;
    fs::path target;
    ASSERT_EQ(createUniqueFile(temp / "N.JPG", target, file), kStatusOk);
    Reports reports;
    EXPECT_EQ(source.copyFile(temp / "stored", file, target, &Reports::record, &reports), kStatusOk);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(target, temp / "N(1).JPG");
    EXPECT_EQ(test::readFile(target), content);
    EXPECT_EQ(test::readFile(temp / "N.JPG"), "already there");
    EXPECT_EQ(reports.calls, (std::vector<std::pair<int, Status>>{{99, 0}, {100, 0}}));

    reports.calls.clear();
    ASSERT_EQ(createUniqueFile(temp / "gone.JPG", target, file), kStatusOk);
    EXPECT_EQ(source.copyFile(temp / "missing", file, target, &Reports::record, &reports), kStatusInvalid);
    EXPECT_EQ(reports.calls, (std::vector<std::pair<int, Status>>{{100, kStatusInvalid}}));
}

TEST(ScanSourceExportTest, ADeviceSourceAnswersWithItsOwnCopy) {
    test::TempFolder temp;
    test::writeFile(temp / "stored", "data");
    BackupStore store({{}, {}});
    const auto device = createScanSource(0, &store);
    ScanSourceExport source(*device);
    platform::OutputFile file;
    fs::path target;
    ASSERT_EQ(createUniqueFile(temp / "copy", target, file), kStatusOk);
    EXPECT_EQ(source.copyFile(temp / "stored", file, target, nullptr, nullptr), kStatusFailed);
    EXPECT_FALSE(file.isOpen());
}

} // namespace
} // namespace orvelle
