#include "sqlite_records/TableSchema.h"

#include "sqlite_records/SqliteFile.h"
#include "support/SharedData.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace orvelle {
namespace {

struct ParseCase {
    std::string sql;
    std::vector<std::string> columns;
    int rowidAlias;
};

TEST(TableSchemaTest, ParsesColumnNamesWhateverTheWriting) {
    const std::vector<ParseCase> cases = {
        {"CREATE TABLE t(a, b, c)", {"a", "b", "c"}, -1},
        {"create table if not exists main.t (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT "
         "NULL)",
         {"ROWID", "guid"},
         0},
        // Quoted identifiers of every kind, with doubled quotes inside.
        {"CREATE TABLE \"my table\" (\"a\"\"b\" TEXT, [c d] INTEGER, `e``f` BLOB, 'g' REAL)",
         {"a\"b", "c d", "e`f", "g"},
         -1},
        // Types and defaults with nested parentheses, commas and quoted texts.
        {"CREATE TABLE t(price DECIMAL(10, 2) DEFAULT (round(abs(-1.5), 1)), note TEXT DEFAULT 'a, (b)', "
         "c CHECK (c IN (1, 2)))",
         {"price", "note", "c"},
         -1},
        // Comments anywhere.
        {"CREATE TABLE t( -- the key\n id INTEGER /* a (comment), */ PRIMARY KEY, x TEXT -- last\n)",
         {"id", "x"},
         0},
        // Table constraints after the columns are no columns.
        {"CREATE TABLE t(a INTEGER, b TEXT, CONSTRAINT pk PRIMARY KEY (a), UNIQUE (b, a), CHECK (a > 0), "
         "FOREIGN KEY (b) REFERENCES other(x))",
         {"a", "b"},
         0},
        // A column named like a keyword, when quoted, is a column.
        {"CREATE TABLE t(\"primary\" TEXT, \"check\" INTEGER)", {"primary", "check"}, -1},
        // Generated VIRTUAL columns are not stored in records; STORED ones are.
        {"CREATE TABLE t(a INTEGER, b INTEGER GENERATED ALWAYS AS (a * 2) VIRTUAL, c AS (a + 1) STORED, d)",
         {"a", "c", "d"},
         -1},
        {"CREATE TABLE t(id INTEGER PRIMARY KEY, v) WITHOUT ROWID", {"id", "v"}, -1},
        {"CREATE TABLE t(id INT PRIMARY KEY, v)", {"id", "v"}, -1},
    };
    for (const ParseCase& c : cases) {
        const auto schema = TableSchema::parse(c.sql);
        ASSERT_TRUE(schema) << c.sql;
        EXPECT_EQ(schema->columns(), c.columns) << c.sql;
        EXPECT_EQ(schema->columnCount(), c.columns.size()) << c.sql;
        EXPECT_EQ(schema->rowidAliasColumn(), c.rowidAlias) << c.sql;
    }
}

TEST(TableSchemaTest, LooksColumnsUpByNameIgnoringCase) {
    const auto schema =
        TableSchema::parse("CREATE TABLE t(ROWID INTEGER PRIMARY KEY, [Text] TEXT, date INTEGER)");
    ASSERT_TRUE(schema);
    EXPECT_EQ(schema->columnIndex("text"), 1);
    EXPECT_EQ(schema->columnIndex("DATE"), 2);
    EXPECT_EQ(schema->columnIndex("missing"), -1);
    EXPECT_EQ(schema->types()[1], "TEXT");
}

TEST(TableSchemaTest, RefusesWhatIsNoTableDefinition) {
    for (const char* sql : {"CREATE TABLE t AS SELECT 1", "CREATE VIRTUAL TABLE f USING fts4(a)",
                            "CREATE INDEX i ON t(a)", "CREATE TABLE t(", "", "CREATE TABLE t()"})
        EXPECT_FALSE(TableSchema::parse(sql)) << sql;
}

// The device layouts have the column counts the decoders rely on.
TEST(TableSchemaTest, DeviceSchemasHaveTheirKnownColumnCounts) {
    ORVELLE_NEED_SHARED_DATA("schemas");
    struct Expect {
        const char* file;
        const char* table;
        std::uint32_t columns;
    };
    const Expect expects[] = {
        {"sms-ios7.sql", "message", 38},
        {"chat-51-columns.sql", "message", 51},
        {"sms-ios13.sql", "message", 68},
        {"sms-ios14.sql", "message", 74},
        {"addressbook-ios7.sql", "ABPersonFullTextSearch_content", 24},
        {"addressbook-ios15.sql", "ABPersonFullTextSearch_content", 26},
        {"notes-ios7.sql", "ZNOTE", 20},
        {"call_history-ios7.sql", "call", 14},
        {"call_history-ios5.sql", "call", 8},
        {"callhistory-storedata-ios17.sql", "ZCALLRECORD", 30},
    };
    for (const Expect& e : expects) {
        const std::string text = test::readFile(std::string(ORVELLE_SHARED_DATA) + "/schemas/" + e.file);
        std::istringstream lines(text);
        bool found = false;
        for (std::string line; std::getline(lines, line);) {
            // The name may be quoted: CREATE TABLE 'name'(...
            const std::string table = e.table;
            bool named = false;
            for (const std::string& head : {"CREATE TABLE " + table + " ", "CREATE TABLE " + table + "(",
                                            "CREATE TABLE '" + table + "'"})
                named = named || line.rfind(head, 0) == 0;
            if (!named) continue;
            const auto schema = TableSchema::parse(line);
            ASSERT_TRUE(schema) << e.file;
            EXPECT_EQ(schema->columnCount(), e.columns) << e.file;
            found = true;
        }
        EXPECT_TRUE(found) << e.file << " " << e.table;
    }
}

TEST(TableSchemaTest, ReadsTheSchemaFromPageOneOfAFile) {
    test::TempFolder folder;
    const auto path = folder / "schema.db";
    {
        test::SqliteFixture db(path);
        db.exec("CREATE TABLE \"Odd \"\"Name\"\"\" (id INTEGER PRIMARY KEY, [value] TEXT);"
                "CREATE INDEX idx ON \"Odd \"\"Name\"\"\"(value);"
                "CREATE VIEW v AS SELECT 1;");
        db.close();
    }
    SqliteFile file;
    ASSERT_EQ(file.open(path), kStatusOk);
    std::vector<SchemaEntry> entries;
    ASSERT_EQ(readSchema(file, entries), kStatusOk);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].type, "table");
    EXPECT_EQ(entries[0].rootPage, 2u);
    EXPECT_EQ(entries[2].type, "view");
    EXPECT_EQ(entries[2].rootPage, 0u);
    const auto schema = TableSchema::load(file, "odd \"name\"");
    ASSERT_TRUE(schema);
    EXPECT_EQ(schema->columnIndex("value"), 1);
}

} // namespace
} // namespace orvelle
