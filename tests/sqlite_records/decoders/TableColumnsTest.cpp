#include "sqlite_records/decoders/TableColumns.h"

#include "sqlite_records/TableSchema.h"
#include "support/DeviceDb.h"
#include "support/TempFolder.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace orvelle {
namespace {

constexpr std::array<FieldColumn, 3> kFields{{{"ZMEMBERJID", 10}, {"*Phone", 16}, {"missing", 4}}};

TEST(TableColumnsTest, NamesDecideWhenTheStatementIsReadable) {
    const auto schema =
        TableSchema::parse("CREATE TABLE t (Z_PK INTEGER PRIMARY KEY, \"zmemberjid\" VARCHAR, "
                           "'c16Phone', c15Phonetic TEXT)");
    ASSERT_TRUE(schema.has_value());
    const TableColumns columns = TableColumns::fromSchema(*schema, kFields);
    EXPECT_TRUE(columns.fromStatement());
    EXPECT_EQ(columns.columnCount(), 4u);
    EXPECT_EQ(columns[0], 1);
    EXPECT_EQ(columns[1], 2);
    EXPECT_EQ(columns[2], -1); // not the fixed position of another layout
    EXPECT_EQ(columns[7], -1);
}

TEST(TableColumnsTest, FixedPositionsStandInOtherwise) {
    const TableColumns columns = TableColumns::fixed(kFields, 13);
    EXPECT_FALSE(columns.fromStatement());
    EXPECT_EQ(columns.columnCount(), 13u);
    EXPECT_EQ(columns[0], 10);
    EXPECT_EQ(columns[1], 16);
    EXPECT_EQ(columns[2], 4);
}

TEST(TableColumnsTest, FullTextColumnNames) {
    struct Case {
        const char* column;
        const char* wanted;
        bool matches;
    };
    const Case cases[] = {
        {"c15Phone", "*Phone", true},
        {"C16PHONE", "*phone", true},
        {"c3FirstPhonetic", "*Phone", false},
        {"cPhone", "*Phone", false},
        {"Phone", "*Phone", false},
        {"c0First", "*First", true},
        {"c7OrganizationPhonetic", "*Organization", false},
        {"ZTEXT", "ztext", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(columnNameMatches(c.column, c.wanted), c.matches) << c.column;
}

TEST(TableColumnsTest, EveryDeviceStatementParses) {
    // The fixture statements are the devices' own; each must give its columns.
    const std::vector<std::vector<std::string_view>> schemas{
        test::smsSchema(test::SmsLayout::ios7),
        test::smsSchema(test::SmsLayout::columns51),
        test::smsSchema(test::SmsLayout::ios13),
        test::smsSchema(test::SmsLayout::ios14),
        test::addressBookSchema(test::AddressBookLayout::ios7),
        test::addressBookSchema(test::AddressBookLayout::columns25),
        test::addressBookSchema(test::AddressBookLayout::ios15),
        test::notesSchema(),
        test::callHistorySchema(test::CallHistoryLayout::callIos5),
        test::callHistorySchema(test::CallHistoryLayout::callIos7),
        test::callHistorySchema(test::CallHistoryLayout::callRecordClassic),
        test::callHistorySchema(test::CallHistoryLayout::callRecordIos17),
        test::whatsAppSchema(test::WhatsAppLayout::columns28),
        test::whatsAppSchema(test::WhatsAppLayout::ios15),
    };
    for (const auto& statements : schemas)
        for (const auto statement : statements) {
            const auto schema = TableSchema::parse(statement);
            ASSERT_TRUE(schema.has_value()) << statement;
            EXPECT_GE(schema->columnCount(), 2u) << statement;
        }
}

TEST(TableColumnsTest, DeviceStatementsAreThoseOfTheSchemaFiles) {
    const std::filesystem::path folder = std::filesystem::path(ORVELLE_SHARED_DATA) / "schemas";
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no shared schemas";
    std::set<std::string> known;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string text = test::readFile(entry.path());
        for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            if (end > start) known.insert(text.substr(start, end - start));
        }
    }
    // The older layouts no device file here shows, made from the newer ones.
    const std::set<std::string_view> constructed{
        test::addressBookSchema(test::AddressBookLayout::columns25)[1],
        test::callHistorySchema(test::CallHistoryLayout::callRecordClassic)[0],
        test::whatsAppSchema(test::WhatsAppLayout::columns28)[3]};
    for (const auto layout :
         {test::SmsLayout::ios7, test::SmsLayout::columns51, test::SmsLayout::ios13, test::SmsLayout::ios14})
        for (const auto statement : test::smsSchema(layout))
            EXPECT_TRUE(known.count(std::string(statement)));
    for (const auto statement : test::addressBookSchema(test::AddressBookLayout::ios15))
        EXPECT_TRUE(known.count(std::string(statement)));
    for (const auto statement : test::callHistorySchema(test::CallHistoryLayout::callRecordIos17))
        EXPECT_TRUE(known.count(std::string(statement)));
    for (const auto statement : test::whatsAppSchema(test::WhatsAppLayout::columns28))
        EXPECT_TRUE(constructed.count(statement) || known.count(std::string(statement))) << statement;
    for (const auto statement : test::notesSchema())
        EXPECT_TRUE(known.count(std::string(statement)));
}

} // namespace
} // namespace orvelle
