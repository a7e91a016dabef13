// Deleted rows of tables of different first columns, recovered from databases
// the SQLite library wrote: every recovered row must be a row that really was
// deleted, with every value exact, column 0 included; nothing else may come out.

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::SqlRow;
using test::SqlValue;
using test::StoredRow;

// The three kinds of column 0: an ordinary integer, a text, a rowid alias.
struct TableKind {
    const char* name;
    const char* createSql;
    std::function<SqlValue(int)> firstValue;
};

// Integers of every serial width (never 0 or 1, which take no body bytes).
std::int64_t wideInteger(int i) {
    static constexpr std::int64_t kValues[] = {20011, 7, -90, 624324220, 3000000, 85972360429533LL,
                                               -4000000000000000000LL, 300, 120000};
    return kValues[i % 9] + i;
}

const TableKind kTableKinds[] = {
    {"IntegerFirst", "CREATE TABLE t(id INT, name TEXT, amount INTEGER, ratio REAL, note TEXT)",
     [](int i) { return SqlValue::of(wideInteger(i)); }},
    {"TextFirst", "CREATE TABLE t(label TEXT, name TEXT, amount INTEGER, ratio REAL, note TEXT)",
     [](int i) { return SqlValue::text("label " + std::to_string(i * 37 % 1000)); }},
    {"RowidAlias", "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, amount INTEGER, ratio REAL, note TEXT)",
     [](int) { return SqlValue::null(); }},
};

// Rows of varied sizes: some short enough that payload length, rowid and
// header length take one byte each, some long enough for two-byte lengths.
SqlRow makeRow(const TableKind& kind, int i) {
    const std::string name = "name " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 5) * 11, 'x');
    SqlRow row{kind.firstValue(i), SqlValue::text(name),
               i % 4 == 0 ? SqlValue::null() : SqlValue::of(i % 3 == 0 ? i % 2 : i * 1000),
               SqlValue::ofReal(i + 0.5), SqlValue::null()};
    if (i % 7 == 3) row[4] = SqlValue::text("a longer note, " + std::string(150 + i % 40, 'n'));
    else if (i % 2) row[4] = SqlValue::text("note " + std::to_string(i));
    return row;
}

// How rows are deleted.
enum class Deletion {
    oneRecord,       // one row in the middle of a page: a freeblock of one cell
    mergedRecords,   // neighbouring rows: their cells merged into one freeblock
    contentStart,    // the row inserted last: its cell joins the unallocated gap
    freedPages,      // a long run of rows: whole pages go to the freelist (leaf and trunk pages)
    partlyReused,    // rows deleted, then new rows written over part of their space
};

struct Case {
    const TableKind* kind;
    int pageSize;
    Deletion deletion;
    bool secureDelete;
};

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    static const char* const kDeletions[] = {"OneRecord", "MergedRecords", "ContentStart", "FreedPages",
                                             "PartlyReused"};
    return std::string(info.param.kind->name) + "Page" + std::to_string(info.param.pageSize) +
           kDeletions[static_cast<int>(info.param.deletion)] + (info.param.secureDelete ? "SecureDelete" : "");
}

std::string describe(const SqlRow& row) {
    std::string out = "[";
    for (const SqlValue& v : row) {
        if (out.size() > 1) out += ", ";
        switch (v.kind) {
        case SqlValue::Kind::null: out += "NULL"; break;
        case SqlValue::Kind::integer: out += std::to_string(v.integer); break;
        case SqlValue::Kind::real: out += std::to_string(v.real); break;
        case SqlValue::Kind::text: out += "'" + v.bytes + "'"; break;
        case SqlValue::Kind::blob: out += "blob(" + std::to_string(v.bytes.size()) + ")"; break;
        }
    }
    return out + "]";
}

SqlValue toSqlValue(const RecordValue& value) {
    switch (value.kind) {
    case ValueKind::null: return SqlValue::null();
    case ValueKind::integer: return SqlValue::of(value.integer);
    case ValueKind::real: return SqlValue::ofReal(value.real);
    case ValueKind::text: return SqlValue::text(std::string(value.bytes));
    case ValueKind::blob: return SqlValue::blob(std::string(value.bytes));
    }
    return SqlValue::null();
}

// What was done to the database and what the engine gave back.
struct Outcome {
    std::vector<SqlRow> deleted;   // rows deleted
    std::vector<SqlRow> ever;      // every row ever inserted
    std::vector<SqlRow> recovered; // deleted rows the engine emitted
    std::vector<std::string> partial;
    std::string fileBytes;
};

// The rowid of the cell at the start of the content area of the table's first
// leaf page (the row written last there; the page is full, so freeing it
// rebuilds nothing).
std::int64_t lowestCellOfFirstLeaf(const std::filesystem::path& path) {
    SqliteFile file;
    EXPECT_EQ(file.open(path), kStatusOk);
    std::int64_t rowid = 0;
    std::uint32_t page = 0;
    std::uint32_t offset = ~0u;
    ScanOptions options;
    options.carvedRows = false;
    options.freelistRows = false;
    scanTable(
        file, "t",
        [&](const Row& row) {
            if (offset == ~0u) page = row.page;
            if (row.page == page && row.offset < offset) {
                offset = row.offset;
                rowid = row.rowid;
            }
            return kStatusOk;
        },
        options);
    return rowid;
}

class DeletedRowRecoveryTest : public ::testing::TestWithParam<Case> {
protected:
    Outcome run() {
        const Case& c = GetParam();
        Outcome outcome;
        const auto path = folder / "recovery.db";
        test::SqliteFixture::Options options;
        options.pageSize = c.pageSize;
        options.secureDelete = c.secureDelete;
        test::SqliteFixture fixture(path, options);
        fixture.exec(c.kind->createSql);
        const int rows = c.deletion == Deletion::freedPages ? 400 : 160;
        fixture.insertRows("t", rows, [&](int i) { return makeRow(*c.kind, i + 1); });
        for (const StoredRow& row : fixture.rows("t"))
            outcome.ever.push_back(row.values);
        std::vector<StoredRow> deleted;
        switch (c.deletion) {
        case Deletion::oneRecord:
            deleted = fixture.deleteWhere("t", "rowid = 77");
            break;
        case Deletion::mergedRecords:
            deleted = fixture.deleteWhere("t", "rowid BETWEEN 40 AND 42 OR rowid BETWEEN 130 AND 133");
            break;
        case Deletion::contentStart:
            deleted = fixture.deleteWhere("t", "rowid = " + std::to_string(lowestCellOfFirstLeaf(path)));
            break;
        case Deletion::freedPages:
            deleted = fixture.deleteRange("t", 50, 350);
            break;
        case Deletion::partlyReused:
            deleted = fixture.deleteWhere("t", "rowid % 5 = 2");
            fixture.insertRows("t", 20, [&](int i) {
                SqlRow row = makeRow(*c.kind, 1000 + i);
                row[4] = SqlValue::null();
                return row;
            });
            break;
        }
        for (const StoredRow& row : deleted)
            outcome.deleted.push_back(row.values);
        for (const StoredRow& row : fixture.rows("t"))
            outcome.ever.push_back(row.values);
        fixture.close();
        outcome.fileBytes = test::readFile(path);

        SqliteFile file;
        EXPECT_EQ(file.open(path), kStatusOk);
        const Status st = scanTable(file, "t", [&](const Row& row) {
            if (!row.deleted || !isPlausibleRow(row)) return kStatusInvalid;
            SqlRow values;
            for (const RecordValue& v : row.values)
                values.push_back(toSqlValue(v));
            if (row.partial) outcome.partial.push_back(describe(values));
            outcome.recovered.push_back(std::move(values));
            return kStatusOk;
        });
        EXPECT_EQ(st, kStatusOk);
        return outcome;
    }

    test::TempFolder folder;
};

TEST_P(DeletedRowRecoveryTest, EveryRecoveredRowIsExactAndEveryIntactRowComesBack) {
    const Case& c = GetParam();
    const Outcome outcome = run();
    ASSERT_FALSE(outcome.deleted.empty());
    if (c.secureDelete) {
        // Freed space is zeroed: nothing of the deleted rows is left.
        EXPECT_TRUE(outcome.recovered.empty()) << describe(outcome.recovered.front());
        return;
    }
    // Column 0 is told in every one of these rows.
    EXPECT_TRUE(outcome.partial.empty()) << outcome.partial.front();
    const auto contains = [](const std::vector<SqlRow>& rows, const SqlRow& row) {
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    };
    // Nothing but real rows (an older copy of a row that still lives, left on
    // a page that a rebalance freed, is real too), each once per copy.
    for (const SqlRow& row : outcome.recovered)
        EXPECT_TRUE(contains(outcome.ever, row)) << "not a row of the table: " << describe(row);
    // The deleted rows whose bytes still stand are recovered, with their exact
    // values: every one of them where the rows were freed in place; where
    // pages were freed or rebuilt (cells of a rebuilt page may stand in its
    // gap cut by cells written since) nearly all.
    const bool inPlace = c.deletion == Deletion::oneRecord || c.deletion == Deletion::mergedRecords ||
                         c.deletion == Deletion::contentStart;
    int intact = 0;
    int recovered = 0;
    std::string missed;
    for (const SqlRow& row : outcome.deleted) {
        if (outcome.fileBytes.find(test::recordSignature(row)) == std::string::npos) continue;
        ++intact;
        if (contains(outcome.recovered, row))
            ++recovered;
        else
            missed += describe(row) + "\n";
    }
    if (inPlace)
        EXPECT_EQ(recovered, intact) << missed;
    else
        EXPECT_GE(recovered * 100, intact * 95) << missed;
    if (inPlace) {
        // Rows freed within pages that stay keep their bytes, and come out
        // exactly once each; beside them only the older copies of live rows
        // that splits left behind while the table was filled.
        EXPECT_EQ(intact, static_cast<int>(outcome.deleted.size()));
        for (const SqlRow& row : outcome.deleted)
            EXPECT_EQ(std::count(outcome.recovered.begin(), outcome.recovered.end(), row), 1) << describe(row);
        for (const SqlRow& row : outcome.recovered)
            EXPECT_TRUE(contains(outcome.deleted, row) || contains(outcome.ever, row)) << describe(row);
    }
}

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (const TableKind& kind : kTableKinds)
        for (int pageSize : {1024, 4096}) {
            for (Deletion deletion : {Deletion::oneRecord, Deletion::mergedRecords, Deletion::contentStart,
                                      Deletion::freedPages, Deletion::partlyReused})
                cases.push_back({&kind, pageSize, deletion, false});
            for (Deletion deletion : {Deletion::mergedRecords, Deletion::freedPages})
                cases.push_back({&kind, pageSize, deletion, true});
        }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Tables, DeletedRowRecoveryTest, ::testing::ValuesIn(allCases()), caseName);

} // namespace
} // namespace orvelle
