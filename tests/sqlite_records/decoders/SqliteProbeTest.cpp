#include "sqlite_records/decoders/SqliteProbe.h"

#include "support/DeviceDb.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(SqliteProbeTest, CountsColumnsWithoutWritingBesideTheFile) {
    test::TempFolder temp;
    // Characters with a meaning in URIs, in the folder and the file name
    // (Windows refuses "?" in names: "&" stands in for it there).
#ifdef _WIN32
    const auto folder = temp / "odd &#% folder";
    std::filesystem::create_directories(folder);
    const auto path = folder / "Chat&Storage#1%.sqlite";
#else
    const auto folder = temp / "odd ?#% folder";
    std::filesystem::create_directories(folder);
    const auto path = folder / "Chat?Storage#1%.sqlite";
#endif
    test::DeviceDb db(path, test::whatsAppSchema(test::WhatsAppLayout::ios15));
    db.exec("PRAGMA journal_mode=WAL");
    db.close();
    const std::string before = test::readFile(path);
    std::filesystem::permissions(folder,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);

    const ProbeResult message = probeQuery(path, "select * from ZWAMESSAGE;");
    EXPECT_EQ(message.status, kStatusOk);
    EXPECT_EQ(message.columnCount, 34); // an empty table still has its columns
    EXPECT_EQ(probeQuery(path, "select * from ZCALLRECORD;").status, kStatusSqliteQueryFailed);
    EXPECT_EQ(probeQuery(folder / "none.sqlite", "select 1").status, kStatusFileMissing);

    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_EQ(test::readFile(path), before);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u); // no journal, -wal or -shm was made
}

} // namespace
} // namespace orvelle
