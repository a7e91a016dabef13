// End to end: `orvelle sqlite tables` and `orvelle sqlite carve` on fixture
// databases.

#include "support/SqliteFixture.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"
#include "support/WriteAheadLogFixture.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::CliRun;
using test::orvelle;

using test::SqlRow;
using test::SqlValue;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

class SqliteCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = folder / "notes of mine.db";
        test::SqliteFixture fixture(db);
        fixture.exec("CREATE TABLE jottings(id INTEGER PRIMARY KEY, title TEXT, pages INTEGER, weight REAL, "
                     "scan BLOB)");
        fixture.insertRows("jottings", 30, [](int i) {
            return SqlRow{
                SqlValue::null(), SqlValue::text("jotting \"" + std::to_string(i) + "\" caf\xc3\xa9"),
                SqlValue::of(i), SqlValue::ofReal(i + 0.25), SqlValue::blob(std::string("\x01\xff", 2))};
        });
        fixture.deleteWhere("jottings", "id IN (5, 17)");
        fixture.close();
    }

    test::TempFolder folder;
    std::filesystem::path db;
};

TEST_F(SqliteCommandsTest, TablesListsRootPagesAndColumnCounts) {
    const CliRun run = orvelle(folder, {"sqlite", "tables", test::arg(db)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "jottings\troot page 2\t5 columns\n");
    const CliRun json = orvelle(folder, {"sqlite", "tables", "--json", test::arg(db)});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("\"rootPage\": 2"), std::string::npos) << json.out;
}

TEST_F(SqliteCommandsTest, CarveAsJsonGivesLiveAndDeletedRows) {
    const CliRun run = orvelle(folder, {"sqlite", "carve", test::arg(db), "--table", "jottings", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    int live = 0;
    std::vector<std::string> deleted;
    for (const std::string& line : rows) {
        if (line.rfind("{\"deleted\":0,\"mode\":\"cell\",\"source\":\"live\",\"page\":1,", 0) == 0) ++live;
        if (line.rfind("{\"deleted\":1,\"mode\":\"headerless\",", 0) == 0) deleted.push_back(line);
    }
    EXPECT_EQ(live, 28);
    ASSERT_EQ(deleted.size(), 2u) << run.out;
    for (const char* number : {"4", "16"}) { // rows 5 and 17 hold 4 and 16
        const std::string values = std::string("\"rowid\":0,\"values\":[null,\"jotting \\\"") + number +
                                   "\\\" caf\xc3\xa9\"," + number + "," + number +
                                   ".25,{\"blob\":\"01ff\"}]}";
        bool found = false;
        for (const std::string& line : deleted)
            found = found || line.find(values) != std::string::npos;
        EXPECT_TRUE(found) << values << "\n" << run.out;
    }
    EXPECT_NE(rows.front().find("\"rowid\":1,\"values\":[null,"), std::string::npos) << rows.front();
}

TEST_F(SqliteCommandsTest, CarveAsTextMarksDeletedRows) {
    const CliRun run = orvelle(folder, {"sqlite", "carve", test::arg(db), "--table", "jottings", "--deleted-only"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 2u) << run.out;
    for (const std::string& row : rows) {
        EXPECT_EQ(row.rfind("Deleted headerless ", 0), 0u) << row;
        EXPECT_NE(row.find("rowid 0: NULL, 'jotting \""), std::string::npos) << row;
        EXPECT_NE(row.find("X'01ff'"), std::string::npos) << row;
    }
}

TEST_F(SqliteCommandsTest, FailuresAreReportedWithAnExitCode) {
    test::writeFile(folder / "plain.txt", "not a database at all");
    CliRun run = orvelle(folder, {"sqlite", "carve", test::arg(folder / "plain.txt"), "--table", "T"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("not a SQLite database"), std::string::npos) << run.err;
    run = orvelle(folder, {"sqlite", "carve", test::arg(db), "--table", "missing"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no table missing"), std::string::npos) << run.err;
    run = orvelle(folder, {"sqlite", "tables", test::arg(folder / "absent.db")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no such file"), std::string::npos) << run.err;
}

// A `message` table of another layout than the one a device version is known
// by: deleted rows are looked for with its own column count by default.
TEST_F(SqliteCommandsTest, CarveUsesTheTablesOwnColumnCountUnlessAskedForTheDevicesOne) {
    const auto other = folder / "sms.db";
    {
        test::SqliteFixture fixture(other);
        fixture.exec("CREATE TABLE message(ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT, text TEXT, "
                     "handle_id INTEGER, date INTEGER, is_from_me INTEGER, service TEXT, account TEXT, "
                     "subject TEXT, country TEXT, flags INTEGER, version INTEGER)");
        fixture.insertRows("message", 40, [](int i) {
            return SqlRow{SqlValue::null(),
                          SqlValue::text("AB12CD34-0000-4000-8000-0000000000" + std::to_string(10 + i)),
                          SqlValue::text("hello number " + std::to_string(i)),
                          SqlValue::of(i % 4 + 2),
                          SqlValue::of(600000000 + i * 60),
                          SqlValue::of(i % 2),
                          SqlValue::text("SMS"),
                          SqlValue::text("p:0"),
                          SqlValue::null(),
                          SqlValue::text("us"),
                          SqlValue::of(12),
                          SqlValue::of(10)};
        });
        fixture.deleteWhere("message", "ROWID IN (11, 12, 30)");
        fixture.close();
    }
    CliRun run = orvelle(folder, {"sqlite", "carve", test::arg(other), "--table", "message", "--deleted-only",
                                  "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 3u) << run.out;
    for (const char* number : {"10", "11", "29"}) {
        const std::string values = std::string("\"values\":[null,\"AB12CD34-0000-4000-8000-0000000000") +
                                   std::to_string(10 + std::stoi(number)) + "\",\"hello number " + number + "\",";
        bool found = false;
        for (const std::string& line : rows)
            found = found || line.find(values) != std::string::npos;
        EXPECT_TRUE(found) << values << "\n" << run.out;
    }
    // The count of one device version's layout finds none of them.
    run = orvelle(folder, {"sqlite", "carve", test::arg(other), "--table", "message", "--deleted-only",
                           "--device-columns"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
}

// The JSON lines escape what JSON needs and keep floats recognisable; a row
// whose column 0 cannot be told from the free space is marked partial.
TEST_F(SqliteCommandsTest, CarveJsonLinesEscapeTextAndMarkPartialRows) {
    const auto mixed = folder / "mixed.db";
    {
        test::SqliteFixture fixture(mixed);
        fixture.exec("CREATE TABLE t(id INT, name TEXT, weight REAL, raw BLOB)");
        fixture.insert("t", {SqlValue::of(1234), SqlValue::text("tab\there \"quoted\" back\\slash \x01 caf\xc3\xa9"),
                             SqlValue::ofReal(2.5), SqlValue::blob(std::string("\x00\x7f", 2))});
        fixture.insert("t", {SqlValue::of(0), SqlValue::text("zero"), SqlValue::ofReal(1e20), SqlValue::null()});
        fixture.insert("t", {SqlValue::of(7), SqlValue::text("seven"), SqlValue::ofReal(-0.5), SqlValue::null()});
        fixture.deleteWhere("t", "id = 0");
        fixture.close();
    }
    const CliRun run = orvelle(folder, {"sqlite", "carve", test::arg(mixed), "--table", "t", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 3u) << run.out;
    EXPECT_NE(rows[0].find("\"rowid\":1,\"values\":[1234,\"tab\\there \\\"quoted\\\" back\\\\slash \\u0001 "
                           "caf\xc3\xa9\",2.5,{\"blob\":\"007f\"}]}"),
              std::string::npos)
        << rows[0];
    EXPECT_NE(rows[1].find("\"rowid\":3,\"values\":[7,\"seven\",-0.5,null]}"), std::string::npos) << rows[1];
    // Column 0 held 0, which takes no body bytes: 0, 1 and NULL all fit.
    EXPECT_NE(rows[2].find("{\"deleted\":1,\"mode\":\"headerless\",\"source\":\"freeblock\""), std::string::npos)
        << rows[2];
    EXPECT_NE(rows[2].find("\"values\":[null,\"zero\",1e+20,null],\"partial\":true}"),
              std::string::npos)
        << rows[2];
}

// The log beside a loose database is read unless --no-wal; its rows that the
// database does not hold come as deleted rows of source wal; a damaged log
// gets a warning.
TEST(SqliteCommandsLog, CarveAndDecodeReadTheLogBesideTheDatabaseUnlessToldNot) {
    test::TempFolder folder;
    const test::SmsWithLog sms = test::buildSmsWithLog(folder / "sms.db");
    const auto count = [](const std::string& text, const std::string& part) {
        std::size_t n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    };
    const std::string dbArg = test::arg(sms.database);
    const CliRun carve = orvelle(folder, {"sqlite", "carve", dbArg, "--table", "message", "--json"});
    ASSERT_EQ(carve.exitCode, 0) << carve.err;
    EXPECT_EQ(carve.err, "");
    for (const std::string& line : lines(carve.out)) {
        const bool fromLog = line.find("\"source\":\"wal\"") != std::string::npos;
        const bool special = line.find(sms.deletedInLog) != std::string::npos ||
                             line.find(sms.uncommitted) != std::string::npos;
        if (fromLog) EXPECT_EQ(line.rfind("{\"deleted\":1,\"mode\":\"cell\",\"source\":\"wal\",", 0), 0u) << line;
        EXPECT_EQ(fromLog, special) << line;
    }
    EXPECT_EQ(count(carve.out, sms.inLog.front()), 1u) << carve.out;
    const CliRun alone = orvelle(folder, {"sqlite", "carve", dbArg, "--table", "message", "--json", "--no-wal"});
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    EXPECT_EQ(count(alone.out, sms.inLog.front()) + count(alone.out, "\"wal\""), 0u) << alone.out;

    const CliRun decode = orvelle(folder, {"sqlite", "decode", "messages", dbArg});
    ASSERT_EQ(decode.exitCode, 0) << decode.err;
    EXPECT_EQ(count(decode.out, sms.inLog.front()), 1u) << decode.out;
    EXPECT_EQ(count(decode.out, sms.uncommitted), 1u) << decode.out;
    const CliRun decodeAlone = orvelle(folder, {"sqlite", "decode", "messages", dbArg, "--no-wal"});
    ASSERT_EQ(decodeAlone.exitCode, 0) << decodeAlone.err;
    EXPECT_EQ(count(decodeAlone.out, sms.inLog.front()), 0u) << decodeAlone.out;

    std::filesystem::path log = sms.database;
    log += "-wal";
    test::damageLogFrame(log, 0);
    for (const std::string& command : {"carve", "decode"}) {
        const CliRun damaged = command == "carve"
                                   ? orvelle(folder, {"sqlite", "carve", dbArg, "--table", "message"})
                                   : orvelle(folder, {"sqlite", "decode", "messages", dbArg});
        EXPECT_EQ(damaged.exitCode, 0) << damaged.err;
        EXPECT_NE(damaged.err.find("warning: "), std::string::npos) << damaged.err;
        EXPECT_NE(damaged.err.find("damaged"), std::string::npos) << damaged.err;
    }
}

} // namespace
} // namespace orvelle
