#include "sqlite_records/decoders/ContactsDecoder.h"

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/decoders/ContactLookup.h"
#include "support/DeviceDbAddressBook.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::AddressBookDb;
using test::AddressBookLayout;
using test::Person;

class ContactsDecoderTest : public ::testing::TestWithParam<AddressBookLayout> {
protected:
    std::filesystem::path book() const { return m_temp / "AddressBook.sqlitedb"; }

    std::vector<ContactRecord> decode() {
        std::vector<ContactRecord> contacts;
        std::uint64_t maxRowId = 0;
        EXPECT_EQ(decodeContacts(book(), DecodeContext{}, contacts, maxRowId), kStatusOk);
        m_maxRowId = maxRowId;
        return contacts;
    }

    test::TempFolder m_temp;
    std::uint64_t m_maxRowId = 0;
};

TEST_P(ContactsDecoderTest, LiveRowsDecodeFieldByField) {
    AddressBookDb db(book(), GetParam());
    Person josh;
    josh.first = "Josh";
    josh.last = "Hickman";
    josh.organization = "Example Labs";
    josh.phones = {"(919) 579-0479", "(919) 391-2507"};
    josh.email = "josh@example.com";
    josh.address = "1 Infinite Loop 95014 CA United States us Cupertino ";
    josh.url = "http://www.example.com";
    josh.social = "twitter jhickman";
    db.addPerson(josh);
    Person anonymous;
    anonymous.organization = "Apple Inc.";
    anonymous.phoneText = "138 0013 8000 +12345678901 ";
    db.addPerson(anonymous);
    Person mailOnly;
    mailOnly.first = "Mail";
    mailOnly.email = "only@example.com";
    db.addPerson(mailOnly);
    db.addPerson(Person{}); // no text at all: not listed
    db.close();

    const auto contacts = decode();
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(m_maxRowId, 4u);
    // Sorted by name: "Josh Hickman" < "No Name".
    const ContactRecord& c = contacts[0];
    EXPECT_EQ(c.deleted, kLive);
    EXPECT_EQ(c.name, "Josh Hickman");
    EXPECT_EQ(c.company, "Example Labs");
    EXPECT_EQ(c.phones, "+19195790479\n+19193912507");
    EXPECT_EQ(c.email, "josh@example.com");
    EXPECT_EQ(c.address, josh.address);
    EXPECT_EQ(c.url, "http://www.example.com");
    EXPECT_EQ(c.social, "twitter jhickman");
    // A person without a phone number is a contact too.
    EXPECT_EQ(contacts[1].name, "Mail");
    EXPECT_EQ(contacts[1].phones, "");
    EXPECT_EQ(contacts[1].email, "only@example.com");
    // No name columns; the pieces of the grouped number are shorter than 7.
    EXPECT_EQ(contacts[2].name, "No Name");
    EXPECT_EQ(contacts[2].phones, "+12345678901");
    EXPECT_EQ(contacts[2].company, "Apple Inc.");
}

TEST_P(ContactsDecoderTest, DeletedPeopleComeBack) {
    AddressBookDb db(book(), GetParam());
    for (int i = 0; i < 40; ++i) {
        Person p;
        p.first = "Person";
        p.last = std::to_string(1000 + i);
        p.phones = {"(202) 555-" + std::to_string(1000 + i)};
        db.addPerson(p);
    }
    db.deleteWhere("ABPersonFullTextSearch_content", "docid = 7");
    db.close();
    const auto contacts = decode();
    const auto person = [&](int i, std::uint32_t deleted) {
        return std::count_if(contacts.begin(), contacts.end(), [&](const ContactRecord& c) {
            return c.deleted == deleted && c.name == "Person " + std::to_string(1000 + i) &&
                   c.phones == "+1202555" + std::to_string(1000 + i);
        });
    };
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(person(i, kLive), i == 6 ? 0 : 1) << i;
    EXPECT_EQ(person(6, kDeleted), 1);
}

TEST_P(ContactsDecoderTest, PeopleOfFreedPagesComeBack) {
    AddressBookDb db(book(), GetParam());
    for (int i = 0; i < 120; ++i) {
        Person p;
        p.first = "Person";
        p.last = std::to_string(1000 + i);
        p.phones = {"(202) 555-" + std::to_string(1000 + i)};
        p.email = "person" + std::to_string(i) + "@example.com";
        db.addPerson(p);
    }
    db.exec("DELETE FROM ABPersonFullTextSearch_content");
    db.close();
    const auto contacts = decode();
    int recovered = 0;
    for (int i = 0; i < 120; ++i)
        recovered += std::any_of(contacts.begin(), contacts.end(), [&](const ContactRecord& c) {
            return c.deleted == kDeleted && c.name == "Person " + std::to_string(1000 + i) &&
                   c.email == "person" + std::to_string(i) + "@example.com";
        });
    EXPECT_GE(recovered, 100);
    EXPECT_EQ(
        std::count_if(contacts.begin(), contacts.end(), [](const auto& c) { return c.deleted == kLive; }), 0);
}

TEST_P(ContactsDecoderTest, RowsWithUnusableTextAreLeftOut) {
    AddressBookDb db(book(), GetParam());
    Person bad;
    bad.first = "Bad \xff name";
    bad.phones = {"(202) 555-0101"};
    db.addPerson(bad);
    Person control;
    control.first = "Control";
    control.phoneText = "555\x01"
                        "0102 2025550102 ";
    db.addPerson(control);
    Person replacement;
    replacement.first = "Bad \xEF\xBF\xBD name";
    replacement.phones = {"(202) 555-0104"};
    db.addPerson(replacement);
    Person good;
    good.first = "Good";
    good.phones = {"(202) 555-0103"};
    db.addPerson(good);
    db.close();
    const auto contacts = decode();
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].name, "Good");
}

TEST_P(ContactsDecoderTest, ColumnsAreFoundByName) {
    AddressBookDb db(book(), GetParam());
    db.close();
    SqliteFile file;
    ASSERT_EQ(file.open(book()), kStatusOk);
    const TableColumns columns = contactColumns(file);
    EXPECT_TRUE(columns.fromStatement());
    const std::uint32_t counts[] = {24, 25, 26};
    EXPECT_EQ(columns.columnCount(), counts[static_cast<int>(GetParam())]);
    // The fixed positions of the matching layout agree with the names.
    const TableColumns fixed = fixedContactColumns(GetParam() != AddressBookLayout::ios7);
    for (std::size_t field = 0; field < 8; ++field)
        EXPECT_EQ(columns[field], fixed[field]) << field;
}

INSTANTIATE_TEST_SUITE_P(DeviceLayouts, ContactsDecoderTest,
                         ::testing::Values(AddressBookLayout::ios7, AddressBookLayout::columns25,
                                           AddressBookLayout::ios15),
                         [](const auto& info) { return test::layoutName(info.param); });

TEST(ContactPhonesTest, RebuildKeepsOneFormOfEachNumber) {
    struct Case {
        const char* text;
        const char* phones;
    };
    const Case cases[] = {
        {"(919) 888-7386 +19198887386 01119198887386 0019198887386 19198887386 9198887386 8887386 ",
         "+19198887386"},
        {"1-800-MY-APPLE +18006927753 01118006927753 ", "1-800-MY-APPLE\n+18006927753"},
        {"+12345678901", ""}, // the piece after the last blank is not looked at
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rebuildPhones(c.text), c.phones) << c.text;
}

TEST(ContactLookupTest, FirstRowWhosePhoneTextHoldsTheAddress) {
    std::vector<ContactRecord> rows(4);
    rows[0].name = "Grouped";
    rows[0].phones = "+1 234 567 8901 ";
    rows[1].name = "No phones";
    rows[2].name = "First";
    rows[2].phones = test::phoneSearchText("(234) 567-8901");
    rows[3].name = "Second";
    rows[3].phones = "+12345678901 ";
    ContactLookup lookup(rows);
    EXPECT_EQ(lookup.nameFor("+12345678901"), "First");
    EXPECT_EQ(lookup.nameFor("+12345678901"), "First"); // cached
    EXPECT_EQ(lookup.nameFor("5678901"), "First");
    EXPECT_EQ(lookup.nameFor("234 567"), "Grouped");
    EXPECT_EQ(lookup.nameFor("(2"), "First"); // shorter than a trigram
    EXPECT_EQ(lookup.nameFor("1 "), "Grouped");
    EXPECT_EQ(lookup.nameFor("jane@example.com"), "");
    EXPECT_EQ(lookup.nameFor(""), "");
}

TEST(ContactsExportTest, EveryRowBecomesALineAndCarvedRowsAreNumberedAfterTheMark) {
    test::TempFolder temp;
    AddressBookDb db(temp / "ab.sqlitedb", AddressBookLayout::ios7);
    for (int i = 0; i < 6; ++i) {
        Person p;
        p.first = "O'Brien";
        p.last = std::to_string(i);
        p.phones = {"(202) 555-010" + std::to_string(i)};
        db.addPerson(p);
    }
    db.deleteWhere("ABPersonFullTextSearch_content", "docid = 3");
    db.close();
    std::uint64_t mark = 20000;
    ASSERT_EQ(exportContacts(temp / "ab.sqlitedb", temp / "contacts.csv", mark), kStatusOk);
    const std::string text = test::readFile(temp / "contacts.csv");
    // A header line names the table's columns; the rows follow.
    EXPECT_EQ(text.substr(0, 23), "docid,c0First,c1Last,c2");
    const std::string rows = text.substr(text.find("\r\n") + 2);
    EXPECT_EQ(rows.substr(0, 15), "1,\"O''Brien\",\"0");
    EXPECT_NE(rows.find("\r\n20001,\"O''Brien\",\"2\""), std::string::npos);
    EXPECT_EQ(mark, 20001u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
}

TEST(ContactsDecoderFailureTest, MissingAndForeignFiles) {
    test::TempFolder temp;
    std::vector<ContactRecord> contacts;
    std::uint64_t maxRowId = 0;
    EXPECT_EQ(decodeContacts(temp / "none", DecodeContext{}, contacts, maxRowId), kStatusFileMissing);
    test::writeFile(temp / "x.sqlitedb", std::string(4096, 'x'));
    EXPECT_EQ(decodeContacts(temp / "x.sqlitedb", DecodeContext{}, contacts, maxRowId), kStatusInvalid);
    EXPECT_TRUE(contacts.empty());
}

} // namespace
} // namespace orvelle
