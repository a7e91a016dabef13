#include "sqlite_records/SqliteFile.h"

#include "sqlite_records/BtreePage.h"
#include "sqlite_records/Record.h"
#include "sqlite_records/TableScan.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::SqliteFixture;
using test::SqlRow;
using test::SqlValue;

std::string header(std::string_view magic, std::uint32_t pageSize) {
    std::string bytes(100, '\0');
    bytes.replace(0, magic.size(), magic);
    bytes.replace(16, 2, test::bigEndian16(pageSize));
    return bytes;
}

// A table T(id, name, n) with `rows` rows of texts of `textLength` bytes.
std::filesystem::path makeTable(const test::TempFolder& folder, const std::string& name, int rows,
                                const SqliteFixture::Options& options = {}, std::size_t textLength = 40) {
    const auto path = folder / name;
    SqliteFixture db(path, options);
    db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, name TEXT, n INTEGER)");
    db.insertRows("T", rows, [&](int i) {
        return SqlRow{SqlValue::null(), SqlValue::text(std::to_string(i) + std::string(textLength, 'x')),
                      SqlValue::of(i)};
    });
    db.close();
    return path;
}

std::vector<std::int64_t> liveRowids(SqliteFile& file, const std::string& table) {
    std::vector<std::int64_t> rowids;
    ScanOptions options;
    options.carvedRows = false;
    options.freelistRows = false;
    EXPECT_EQ(scanTable(
                  file, table,
                  [&](const Row& row) {
                      rowids.push_back(row.rowid);
                      return kStatusOk;
                  },
                  options),
              kStatusOk);
    return rowids;
}

struct MagicCase {
    std::string bytes;
    Status expected;
};

TEST(SqliteFileTest, OpensOnlyFilesWithTheMagicString) {
    test::TempFolder folder;
    const std::vector<MagicCase> cases = {
        {header(std::string("SQLite format 3\0", 16), 4096), kStatusOk},
        // Letter case does not matter.
        {header(std::string("SQLITE FORMAT 3\0", 16), 4096), kStatusOk},
        {header("SQLite format 3X", 4096), kStatusInvalid},
        {std::string("SQLite format 3", 15), kStatusInvalid},
        {"", kStatusInvalid},
        // A page size that is no power of two from 512 up is no database.
        {header(std::string("SQLite format 3\0", 16), 1000), kStatusInvalid},
        {header(std::string("SQLite format 3\0", 16), 0), kStatusInvalid},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto path = folder / ("f" + std::to_string(i));
        test::writeFile(path, cases[i].bytes);
        SqliteFile file;
        EXPECT_EQ(file.open(path), cases[i].expected) << i;
    }
    SqliteFile file;
    EXPECT_EQ(file.open(folder / "missing.db"), kStatusFileMissing);
    std::uint8_t byte = 0;
    EXPECT_EQ(file.readAt(0, 1, &byte), kStatusInvalid);
}

TEST(SqliteFileTest, AHundredByteFileWithTheMagicStringOpens) {
    test::TempFolder folder;
    test::writeFile(folder / "short.db", header(std::string("SQLite format 3\0", 16), 4096));
    SqliteFile file;
    ASSERT_EQ(file.open(folder / "short.db"), kStatusOk);
    EXPECT_EQ(file.pageSize(), 4096u);
    // Its one page cannot be read whole.
    std::vector<std::uint8_t> page;
    EXPECT_EQ(file.readPage(0, page), kStatusShortRead);
    EXPECT_EQ(scanTable(file, "T", [](const Row&) { return kStatusOk; }), kStatusShortRead);
}

TEST(SqliteFileTest, PageSizeOneMeans65536) {
    test::TempFolder folder;
    SqliteFixture::Options options;
    options.pageSize = 65536;
    const auto path = makeTable(folder, "big-pages.db", 3000, options);
    EXPECT_EQ(test::readFile(path).substr(16, 2), test::bigEndian16(1));
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    EXPECT_EQ(file.pageSize(), 65536u);
    EXPECT_EQ(liveRowids(file, "T").size(), 3000u);
}

TEST(SqliteFileTest, ReservedBytesAreLeftOutOfEveryPage) {
    test::TempFolder folder;
    SqliteFixture::Options options;
    options.pageSize = 1024;
    options.reservedBytes = 48;
    const auto path = folder / "reserved.db";
    std::vector<test::StoredRow> deleted;
    {
        SqliteFixture db(path, options);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, name TEXT, n INTEGER)");
        db.insertRows("T", 400, [](int i) {
            return SqlRow{SqlValue::null(), SqlValue::text("row " + std::to_string(i) + std::string(30, 'r')),
                          SqlValue::of(i * 1000)};
        });
        deleted = db.deleteScattered("T", 5);
        db.close();
    }
    // Fill the reserved area of every page with cells of the table's own
    // shape, whose texts are found nowhere else in the file.
    const std::uint64_t pages = std::filesystem::file_size(path) / 1024;
    for (std::uint64_t page = 0; page < pages; ++page) {
        std::string area;
        for (int copy = 0; area.size() + 18 <= 48; ++copy)
            area += test::encodeCell(copy + 1, {SqlValue::null(),
                                                SqlValue::text("planted-" + std::to_string(100 + page % 900)),
                                                SqlValue::of(7)});
        area.resize(48, '\0');
        test::patchFile(path, page * 1024 + 1024 - 48, area);
    }
    {
        // The planted bytes are records as the reader understands them.
        const std::string record = test::encodeRecord(
            {SqlValue::null(), SqlValue::text("planted-100"), SqlValue::of(7)});
        std::vector<RecordValue> values;
        std::uint64_t headerLength = 0;
        ASSERT_TRUE(decodeRecord({reinterpret_cast<const std::uint8_t*>(record.data()), record.size()},
                                 values, headerLength));
        ASSERT_EQ(values.size(), 3u);
        EXPECT_EQ(values[1].bytes, "planted-100");
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    EXPECT_EQ(file.usableSize(), 1024u - 48u);
    std::set<std::string> carved;
    std::size_t live = 0;
    std::size_t planted = 0;
    ASSERT_EQ(scanTable(file, "T",
                        [&](const Row& row) {
                            for (const auto& value : row.values)
                                if (value.isText() && std::string_view(value.bytes).find("planted") !=
                                                          std::string_view::npos)
                                    ++planted;
                            if (!row.deleted)
                                ++live;
                            else if (row.values.size() == 3 && row.values[1].isText())
                                carved.insert(std::string(row.values[1].bytes));
                            return kStatusOk;
                        }),
              kStatusOk);
    EXPECT_EQ(planted, 0u) << "rows were read from the reserved area";
    EXPECT_EQ(live, 400u - deleted.size());
    std::size_t found = 0;
    for (const auto& row : deleted)
        found += carved.count(row.values[1].bytes);
    EXPECT_GE(found, deleted.size() * 95 / 100);
}

TEST(SqliteFileTest, FreelistIsBoundedAgainstCyclesAndOversizedTrunks) {
    test::TempFolder folder;
    SqliteFixture::Options options;
    options.pageSize = 1024;
    const auto path = folder / "freelist.db";
    {
        SqliteFixture db(path, options);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, name TEXT, n INTEGER)");
        db.insertRows("T", 2000, [](int i) {
            return SqlRow{SqlValue::null(), SqlValue::text(std::string(60, 'f')), SqlValue::of(i)};
        });
        db.deleteRange("T", 100, 1900);
        db.close();
    }
    std::uint32_t trunk = 0;
    {
        SqliteFile file;
        ASSERT_EQ(file.open(path), kStatusOk);
        const auto& pages = file.freelistPages();
        ASSERT_GT(pages.size(), 50u);
        EXPECT_EQ(std::set<std::uint32_t>(pages.begin(), pages.end()).size(), pages.size());
        for (std::uint32_t p : pages)
            EXPECT_LT(p, file.pageCount());
        const std::string bytes = test::readFile(path);
        trunk = readBigEndian32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 32);
        ASSERT_NE(trunk, 0u);
    }
    const std::uint64_t trunkOffset = std::uint64_t(trunk - 1) * 1024;
    // The trunk names itself as the next trunk and claims far more leaves than
    // a page holds.
    test::patchFile(path, trunkOffset, test::bigEndian32(trunk) + test::bigEndian32(0x7fffffff));
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    EXPECT_LE(file.freelistPages().size(), (1024u - 8u) / 4u);
    const auto& pages = file.freelistPages();
    EXPECT_EQ(std::set<std::uint32_t>(pages.begin(), pages.end()).size(), pages.size());
}

TEST(SqliteFileTest, FindsRootsWhetherTheSchemaIsOneLeafOrATree) {
    test::TempFolder folder;
    for (int tables : {1, 300}) {
        const auto path = folder / ("schema" + std::to_string(tables) + ".db");
        {
            SqliteFixture db(path);
            for (int i = 0; i < tables; ++i)
                db.exec("CREATE TABLE filler_table_with_a_long_name_" + std::to_string(i) +
                        "(a TEXT, b TEXT, c TEXT, d TEXT)");
            db.exec("CREATE TABLE message(ROWID INTEGER PRIMARY KEY, text TEXT)");
            db.exec("CREATE INDEX message_idx ON message(text)");
            db.insert("message", {SqlValue::null(), SqlValue::text("hi")});
            db.close();
        }
        SqliteFile file;
        ASSERT_EQ(file.open(path), kStatusOk);
        std::vector<std::uint8_t> page0;
        ASSERT_EQ(file.readPage(0, page0), kStatusOk);
        EXPECT_EQ(page0[100], tables == 1 ? kPageTypeTableLeaf : kPageTypeTableInterior);
        ChildPageMap roots;
        ASSERT_EQ(file.findTableRoots("message", roots), kStatusOk);
        // The table's own root and its index's.
        EXPECT_EQ(roots.size(), 2u);
        for (const auto& [page, key] : roots)
            EXPECT_EQ(key, -1);
        EXPECT_EQ(liveRowids(file, "message"), std::vector<std::int64_t>{1});
    }
}

TEST(SqliteFileTest, SchemaRowWithANonIntegerRootPageIsSkipped) {
    test::TempFolder folder;
    const auto path = folder / "bad-root.db";
    {
        SqliteFixture db(path);
        db.exec("CREATE TABLE a(x); CREATE TABLE b(y); INSERT INTO b VALUES('kept');");
        db.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET rootpage='two' WHERE name='a';");
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    ChildPageMap roots;
    ASSERT_EQ(file.findTableRoots("a", roots), kStatusOk);
    EXPECT_TRUE(roots.empty());
    EXPECT_EQ(liveRowids(file, "b").size(), 1u);
}

TEST(SqliteFileTest, ALeafWithOneCellYieldsItsCellOffset) {
    test::TempFolder folder;
    const auto path = makeTable(folder, "one.db", 1);
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    std::vector<std::uint8_t> root;
    ASSERT_EQ(file.readPage(1, root), kStatusOk);
    CellOffsetMap cells;
    ASSERT_EQ(file.collectLeafCells(root, 1, cells), kStatusOk);
    ASSERT_EQ(cells.size(), 1u);
    ASSERT_EQ(cells[1].size(), 1u);
    EXPECT_EQ(cells[1][0], BtreePage(root, 1, file.usableSize()).contentStart());
    EXPECT_EQ(file.countRecordColumns(root, 1), 3);
}

TEST(SqliteFileTest, OverflowPayloadsAreAssembledAndCyclesEnd) {
    test::TempFolder folder;
    SqliteFixture::Options options;
    options.pageSize = 1024;
    const auto path = folder / "overflow.db";
    const std::string text = [] {
        std::string t;
        for (int i = 0; t.size() < 5000; ++i)
            t += "chunk " + std::to_string(i) + ";";
        return t;
    }();
    {
        SqliteFixture db(path, options);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, body TEXT)");
        db.insert("T", {SqlValue::null(), SqlValue::text(text)});
        db.close();
    }
    auto readBody = [&](std::string& body) {
        SqliteFile file;
        EXPECT_EQ(file.open(path), kStatusOk);
        return scanTable(file, "T", [&](const Row& row) {
            if (!row.deleted && row.values.size() > 1) body = std::string(row.values[1].bytes);
            return kStatusOk;
        });
    };
    std::string body;
    ASSERT_EQ(readBody(body), kStatusOk);
    EXPECT_EQ(body, text);

    // Point the first overflow page back at itself: the chain must end.
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    std::vector<std::uint8_t> root;
    ASSERT_EQ(file.readPage(1, root), kStatusOk);
    CellPayload payload;
    ASSERT_EQ(file.readCellPayload(root, 1, BtreePage(root, 1, 1024).cellPointers().at(0), payload),
              kStatusOk);
    ASSERT_TRUE(payload.overflowed);
    const std::uint32_t firstOverflow = readBigEndian32(root.data() + payload.cellEnd - 4);
    test::patchFile(path, std::uint64_t(firstOverflow - 1) * 1024, test::bigEndian32(firstOverflow));
    body.clear();
    EXPECT_EQ(readBody(body), kStatusOk);
    EXPECT_TRUE(body.empty()); // the broken row is dropped
}

TEST(SqliteFileTest, InteriorPagesThatListThemselvesDoNotRecurse) {
    test::TempFolder folder;
    SqliteFixture::Options options;
    options.pageSize = 1024;
    const auto path = makeTable(folder, "loop.db", 500, options);
    const std::size_t before = [&] {
        SqliteFile file;
        EXPECT_EQ(file.open(path), kStatusOk);
        return liveRowids(file, "T").size();
    }();
    ASSERT_EQ(before, 500u);
    // Root page 2 is interior: its right-most child becomes the root itself,
    // and its first child pointer the root too.
    const std::uint64_t root = 1024;
    ASSERT_EQ(test::readFile(path)[root], char(kPageTypeTableInterior));
    test::patchFile(path, root + 8, test::bigEndian32(2));
    const std::string bytes = test::readFile(path);
    const std::uint32_t firstCell =
        readBigEndian16(reinterpret_cast<const std::uint8_t*>(bytes.data()) + root + 12);
    test::patchFile(path, root + firstCell, test::bigEndian32(2));
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    const auto rowids = liveRowids(file, "T");
    EXPECT_LT(rowids.size(), before);
    EXPECT_GT(rowids.size(), 0u);
    EXPECT_EQ(std::set<std::int64_t>(rowids.begin(), rowids.end()).size(), rowids.size());
}

TEST(SqliteFileTest, ReadsPagesBeyondFourGibibytes) {
    test::TempFolder folder;
    const auto path = makeTable(folder, "huge.db", 10);
    // A sparse file of 5 GiB with a marked page near its end.
    const std::uint64_t size = 5ull << 30;
    std::error_code ec;
    std::filesystem::resize_file(path, size, ec);
    if (ec) GTEST_SKIP() << "no sparse file: " << ec.message();
    const std::uint32_t lastPage = static_cast<std::uint32_t>(size / 4096 - 1);
    test::patchFile(path, std::uint64_t(lastPage) * 4096, "far away");
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    EXPECT_EQ(file.pageCount(), size / 4096);
    std::vector<std::uint8_t> page;
    ASSERT_EQ(file.readPage(lastPage, page), kStatusOk);
    EXPECT_EQ(std::string(page.begin(), page.begin() + 8), "far away");
    EXPECT_EQ(liveRowids(file, "T").size(), 10u);
}

TEST(SqliteFileTest, ExpectedColumnCountsOfTheDeviceTables) {
    SqliteFile file;
    struct Case {
        const char* table;
        std::uint32_t columns;
    };
    const Case cases[] = {{"tb_c2cMsg_12345", 50}, {"TB_C2CMSG", 0},   {"chat_abc", 0},
                          {"Chat_abc", 9},         {"MESSAGE", 38},    {"ZNOTE", 19},
                          {"znotebody", 7},        {"ZWAMESSAGE", 28}, {"ABPersonFullTextSearch_content", 24},
                          {"unknown", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(file.expectedColumnCount(c.table), c.columns) << c.table;
        EXPECT_EQ(file.currentColumnCount(), c.columns) << c.table;
    }
    file.state().messageColumns = 51;
    file.state().addressBookHeaderBytes = 26;
    EXPECT_EQ(file.expectedColumnCount("message"), 51u);
    EXPECT_EQ(file.expectedColumnCount("ABPersonFullTextSearch_content"), 25u);
}

} // namespace
} // namespace orvelle
