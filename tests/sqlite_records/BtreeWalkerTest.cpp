#include "sqlite_records/BtreeWalker.h"

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace orvelle {
namespace {

using test::SqlRow;
using test::SqlValue;

// (page, rowid) of every live row in walk order, and the scan's status.
std::pair<std::vector<std::pair<std::uint32_t, std::int64_t>>, Status>
liveRows(const std::filesystem::path& path) {
    SqliteFile file;
    EXPECT_EQ(file.open(path), kStatusOk);
    std::vector<std::pair<std::uint32_t, std::int64_t>> rows;
    ScanOptions options;
    options.carvedRows = false;
    options.freelistRows = false;
    const Status status = scanTable(
        file, "T",
        [&](const Row& row) {
            rows.emplace_back(row.page, row.rowid);
            return kStatusOk;
        },
        options);
    return {rows, status};
}

// Sibling leaves are read together; where the file ends inside such a run,
// the pages before the end are still handed over, one by one, and the walk
// ends with the read error at the first missing page.
TEST(BtreeWalkerTest, ARunOfSiblingsCutByTheEndOfTheFileYieldsThePagesBeforeIt) {
    test::TempFolder folder;
    const auto path = folder / "cut.db";
    {
        test::SqliteFixture::Options options;
        options.pageSize = 1024;
        test::SqliteFixture db(path, options);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, name TEXT)");
        db.insertRows("T", 400, [](int i) {
            return SqlRow{SqlValue::null(), SqlValue::text(std::string(60, char('a' + i % 26)))};
        });
        db.close();
    }
    const auto [whole, wholeStatus] = liveRows(path);
    ASSERT_EQ(wholeStatus, kStatusOk);
    ASSERT_EQ(whole.size(), 400u);
    const std::uint32_t lastPage = whole.back().first;
    ASSERT_GT(lastPage, whole.front().first + 2); // several sibling leaves

    // Cut the file just before the leaf read last.
    std::filesystem::resize_file(path, std::uint64_t(lastPage) * 1024);
    const auto [cut, cutStatus] = liveRows(path);
    EXPECT_NE(cutStatus, kStatusOk);
    std::vector<std::pair<std::uint32_t, std::int64_t>> expected;
    for (const auto& row : whole) {
        if (row.first >= lastPage) break;
        expected.push_back(row);
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(cut, expected);
}

} // namespace
} // namespace orvelle
