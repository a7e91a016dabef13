#include "sqlite_records/TableScan.h"

#include "sqlite_records/SqliteFile.h"
#include "support/SqliteFixture.h"
#include "support/SqliteGroundTruth.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <bit>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::DeletionPattern;
using test::SqliteFixture;
using test::SqlRow;
using test::SqlValue;

test::SqlValue toSql(const RecordValue& v) {
    switch (v.kind) {
    case ValueKind::null:
        return SqlValue::null();
    case ValueKind::integer:
        return SqlValue::of(v.integer);
    case ValueKind::real:
        return SqlValue::ofReal(v.real);
    case ValueKind::text:
        return SqlValue::text(std::string(v.bytes));
    case ValueKind::blob:
        return SqlValue::blob(std::string(v.bytes));
    }
    return SqlValue::null();
}

struct Collected {
    std::vector<test::StoredRow> live;
    std::vector<test::StoredRow> deleted;
    std::map<RowSource, int> sources;
};

Collected collect(SqliteFile& file, const std::string& table, const ScanOptions& options = {}) {
    Collected out;
    EXPECT_EQ(scanTable(
                  file, table,
                  [&](const Row& row) {
                      if (!isPlausibleRow(row)) return kStatusInvalid;
                      test::StoredRow stored{row.rowid, {}};
                      for (const RecordValue& v : row.values)
                          stored.values.push_back(toSql(v));
                      (row.deleted ? out.deleted : out.live).push_back(stored);
                      ++out.sources[row.source];
                      if (row.source == RowSource::live) EXPECT_EQ(row.mode, RowMode::cell);
                      if (row.mode == RowMode::cell)
                          EXPECT_TRUE(row.source == RowSource::live || row.source == RowSource::freelist);
                      EXPECT_EQ(row.deleted == 0, row.source == RowSource::live);
                      if (row.mode == RowMode::headerless) EXPECT_EQ(row.rowid, 0);
                      return kStatusOk;
                  },
                  options),
              kStatusOk);
    return out;
}

TEST(TableScanTest, LiveRowsMatchWhatTheLibraryReads) {
    test::TempFolder folder;
    const auto path = folder / "live.db";
    std::vector<test::StoredRow> expected;
    {
        SqliteFixture::Options options;
        options.pageSize = 1024;
        SqliteFixture db(path, options);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, t TEXT, i INTEGER, r REAL, b BLOB)");
        db.insertRows("T", 300, [](int i) {
            return SqlRow{SqlValue::null(),
                          i % 7 == 0 ? SqlValue::null()
                                     : SqlValue::text(std::string(i * 13 % 3000, 'a' + i % 26)),
                          SqlValue::of(std::int64_t(i) * 1234567891LL - 5), SqlValue::ofReal(i / 3.0 + 0.01),
                          SqlValue::blob(std::string(i % 5, char(i)))};
        });
        expected = db.rows("T");
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    Collected got = collect(file, "T");
    std::sort(got.live.begin(), got.live.end(), [](auto& a, auto& b) { return a.rowid < b.rowid; });
    EXPECT_EQ(got.live, expected);
    EXPECT_TRUE(got.deleted.empty());
}

struct PatternCase {
    DeletionPattern pattern;
    RowSource mainSource;
};

// Each way of deleting rows is recovered by the source it leaves its traces
// for, with high recall of intact rows and no rows that never existed.
TEST(TableScanTest, DeletionPatternsAreRecoveredByTheirSources) {
    const PatternCase cases[] = {{DeletionPattern::scattered, RowSource::freeblock},
                                 {DeletionPattern::range, RowSource::freelist},
                                 {DeletionPattern::partlyReused, RowSource::freeblock}};
    test::TempFolder folder;
    for (const PatternCase& c : cases) {
        test::GroundTruthOptions options;
        options.rows = 600;
        options.pattern = c.pattern;
        const auto db = test::buildGroundTruth(folder / ("p" + std::to_string(int(c.pattern)) + ".db"),
                                               test::genericLayout(), options);
        test::RecoveryScore score = test::scoreRecovery(db);
        EXPECT_GT(score.intact, score.deleted / 2) << int(c.pattern);
        EXPECT_GE(score.recall(), 0.95) << int(c.pattern);
        EXPECT_GE(score.precision(), 0.99) << int(c.pattern);
        EXPECT_GT(score.emittedBySource[std::string(rowSourceName(c.mainSource))], score.emitted / 2)
            << int(c.pattern);
    }
}

TEST(TableScanTest, TheLastInsertedRowDeletedLiesInTheGap) {
    test::TempFolder folder;
    const auto path = folder / "gap.db";
    {
        SqliteFixture db(path);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, t TEXT)");
        for (int i = 0; i < 5; ++i)
            db.insert("T", {SqlValue::null(), SqlValue::text("row " + std::to_string(i))});
        db.deleteWhere("T", "id = 5");
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    const Collected got = collect(file, "T");
    EXPECT_EQ(got.live.size(), 4u);
    ASSERT_EQ(got.deleted.size(), 1u);
    EXPECT_EQ(got.deleted[0].values[1], SqlValue::text("row 4"));
    EXPECT_EQ(got.sources.at(RowSource::gap), 1);
}

TEST(TableScanTest, FreelistPagesCountAsTheTableOnlyWithItsColumnCount) {
    test::TempFolder folder;
    const auto path = folder / "sms.db";
    {
        SqliteFixture::Options options;
        options.pageSize = 1024;
        SqliteFixture db(path, options);
        std::string columns = "ROWID INTEGER PRIMARY KEY, guid TEXT";
        for (int i = 2; i < 38; ++i)
            columns += ", c" + std::to_string(i) + " INTEGER";
        db.exec("CREATE TABLE message(" + columns + ")");
        db.insertRows("message", 200, [](int i) {
            SqlRow row = {SqlValue::null(),
                          SqlValue::text("GUID-" + std::to_string(i) + std::string(31, 'g'))};
            for (int c = 2; c < 38; ++c)
                row.push_back(SqlValue::of(i + c));
            return row;
        });
        db.deleteRange("message", 20, 180);
        db.close();
    }
    for (std::int32_t columns : {38, 51}) {
        SqliteFile file;
        ASSERT_EQ(file.open(path), kStatusOk);
        ASSERT_FALSE(file.freelistPages().empty());
        file.state().messageColumns = columns;
        ScanOptions options;
        options.carvedRows = false;
        const Collected got = collect(file, "message", options);
        EXPECT_EQ(got.live.size(), 39u);
        if (columns == 38)
            EXPECT_GT(got.sources.count(RowSource::freelist) ? got.sources.at(RowSource::freelist) : 0, 100);
        else
            EXPECT_EQ(got.sources.count(RowSource::freelist), 0u);
    }
}

TEST(TableScanTest, ColumnCountComesFromTheSchemaWhenNoRuleKnowsTheTable) {
    test::TempFolder folder;
    const auto path = folder / "generic.db";
    {
        SqliteFixture db(path);
        db.exec("CREATE TABLE notes_of_mine(id INTEGER PRIMARY KEY, title TEXT, words INTEGER, stamp REAL)");
        db.insertRows("notes_of_mine", 40, [](int i) {
            return SqlRow{SqlValue::null(), SqlValue::text("title " + std::to_string(i)),
                          SqlValue::of(i * 100), SqlValue::ofReal(i + 0.5)};
        });
        db.deleteScattered("notes_of_mine", 4);
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    const Collected got = collect(file, "notes_of_mine");
    EXPECT_EQ(file.currentColumnCount(), 4u);
    EXPECT_EQ(got.live.size(), 30u);
    EXPECT_EQ(got.deleted.size(), 10u);
    // A wrong column count finds nothing deleted.
    ScanOptions wrong;
    wrong.columnCount = 6;
    EXPECT_TRUE(collect(file, "notes_of_mine", wrong).deleted.empty());
}

TEST(TableScanTest, TheRowRoutineCanStopTheScanAndMissingTablesYieldNothing) {
    test::TempFolder folder;
    const auto path = folder / "stop.db";
    {
        SqliteFixture db(path);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, t TEXT)");
        db.insertRows("T", 10, [](int i) { return SqlRow{SqlValue::null(), SqlValue::text("x")}; });
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    int rows = 0;
    EXPECT_EQ(scanTable(file, "T",
                        [&](const Row&) {
                            ++rows;
                            return rows == 3 ? kStatusStopped : kStatusOk;
                        }),
              kStatusStopped);
    EXPECT_EQ(rows, 3);
    rows = 0;
    EXPECT_EQ(scanTable(file, "missing",
                        [&](const Row&) {
                            ++rows;
                            return kStatusOk;
                        }),
              kStatusOk);
    EXPECT_EQ(rows, 0);
    SqliteFile closed;
    EXPECT_EQ(scanTable(closed, "T", [](const Row&) { return kStatusOk; }), kStatusInvalid);
}

TEST(TableScanTest, RowsCarryTheirPlaceAndBytes) {
    test::TempFolder folder;
    const auto path = folder / "place.db";
    {
        SqliteFixture db(path);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, t TEXT)");
        db.insertRows("T", 3, [](int i) {
            return SqlRow{SqlValue::null(), SqlValue::text("v" + std::to_string(i))};
        });
        db.deleteWhere("T", "id = 2");
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    std::vector<std::uint8_t> page;
    ASSERT_EQ(file.readPage(1, page), kStatusOk);
    std::vector<std::int64_t> liveRowids;
    std::vector<std::string> deletedTexts;
    ASSERT_EQ(scanTable(file, "T",
                        [&](const Row& row) {
                            EXPECT_EQ(row.page, 1u);
                            EXPECT_TRUE(std::equal(row.pageBytes.begin(), row.pageBytes.begin() + 4,
                                                   page.begin() + row.offset));
                            if (row.mode == RowMode::cell) {
                                EXPECT_EQ(row.deleted, 0u);
                                EXPECT_EQ(row.headerLength, 3u);
                                EXPECT_EQ(row.record.size(), 3u + 2u);
                                liveRowids.push_back(row.rowid);
                            } else {
                                EXPECT_EQ(row.deleted, 1u);
                                EXPECT_EQ(row.record.size(), row.headerLength + 2u);
                                if (row.values.size() > 1) deletedTexts.emplace_back(row.values[1].bytes);
                            }
                            return kStatusOk;
                        }),
              kStatusOk);
    // Both live rows came, and the deleted one (its text "v1") was carved.
    EXPECT_EQ(liveRowids, (std::vector<std::int64_t>{1, 3}));
    EXPECT_EQ(deletedTexts, std::vector<std::string>{"v1"});
}

} // namespace
} // namespace orvelle

namespace orvelle {
namespace {

// Carved rows are not compared with live rows: when an update moves a row, its
// older version in free space comes back as a deleted row beside the live one.
TEST(TableScanTest, AnOlderVersionOfALiveRowIsReportedAsDeleted) {
    test::TempFolder folder;
    const auto path = folder / "update.db";
    {
        SqliteFixture db(path);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, t TEXT)");
        for (const char* text : {"first", "second draft", "third"})
            db.insert("T", {SqlValue::null(), SqlValue::text(text)});
        db.exec("UPDATE T SET t = 'second draft, now much longer than before' WHERE id = 2");
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    const Collected got = collect(file, "T");
    ASSERT_EQ(got.live.size(), 3u);
    ASSERT_EQ(got.deleted.size(), 1u);
    EXPECT_EQ(got.deleted[0].values[1], SqlValue::text("second draft"));
}

} // namespace
} // namespace orvelle

namespace orvelle {
namespace {

// What the driver hands over of one row: where it was found and its values.
struct HandedRow {
    RowSource source;
    std::uint32_t page, offset, deleted, firstColumn;
    std::int64_t rowid;
    std::uint64_t headerLength;
    std::size_t recordBytes;
    std::vector<test::SqlValue> values;
    bool operator==(const HandedRow&) const = default;
};

std::vector<HandedRow> handedRows(SqliteFile& file, const std::string& table, std::uint32_t valueColumns,
                                  std::span<const int> wantedColumns = {}) {
    std::vector<HandedRow> rows;
    ScanOptions options;
    options.valueColumns = valueColumns;
    options.wantedColumns = wantedColumns;
    scanTable(
        file, table,
        [&](const Row& row) {
            HandedRow handed{row.source, row.page,         row.offset,        row.deleted, row.firstColumn,
                             row.rowid,  row.headerLength, row.record.size(), {}};
            // Floats by their bits: a carved candidate may hold a NaN.
            for (const RecordValue& v : row.values)
                handed.values.push_back(v.isLost() ? SqlValue::text("(lost)")
                                        : v.kind == ValueKind::real
                                            ? SqlValue::of(std::bit_cast<std::int64_t>(v.real))
                                            : toSql(v));
            rows.push_back(std::move(handed));
            return kStatusOk;
        },
        options);
    return rows;
}

// Asking for the leading columns, or for some columns, hands over the same
// rows, live, carved and of freed pages, with the same values of those columns.
TEST(TableScanTest, AValueLimitHandsOverTheSameRowsWithTheirLeadingValues) {
    test::TempFolder folder;
    for (const DeletionPattern pattern : {DeletionPattern::scattered, DeletionPattern::range}) {
        test::GroundTruthOptions options;
        options.rows = 400;
        options.pattern = pattern;
        const auto db = test::buildGroundTruth(folder / ("limit" + std::to_string(int(pattern)) + ".db"),
                                               test::genericLayout(), options);
        SqliteFile file;
        ASSERT_EQ(file.open(db.path), kStatusOk);
        const std::vector<HandedRow> all = handedRows(file, db.table, 0);
        ASSERT_TRUE(std::any_of(all.begin(), all.end(), [](const HandedRow& r) { return r.deleted != 0; }));
        for (const std::uint32_t limit : {1u, 3u, 7u, 50u}) {
            std::vector<HandedRow> expected = all;
            for (HandedRow& row : expected)
                if (row.values.size() > limit) row.values.resize(limit);
            EXPECT_EQ(handedRows(file, db.table, limit), expected) << int(pattern) << " limit " << limit;
        }
        // Only some columns asked for: the others up to the highest read as lost.
        const std::vector<int> wanted = {4, -1, 1};
        std::vector<HandedRow> expected = all;
        for (HandedRow& row : expected) {
            if (row.values.size() > 5) row.values.resize(5);
            for (std::size_t i = 0; i < row.values.size(); ++i)
                if (i != 1 && i != 4) row.values[i] = SqlValue::text("(lost)");
        }
        EXPECT_EQ(handedRows(file, db.table, 0, wanted), expected) << int(pattern) << " some columns";
    }
}

} // namespace
} // namespace orvelle
