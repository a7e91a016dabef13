// End to end: `orvelle sqlite decode` on loose device databases.

#include "support/CliRun.h"
#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbCalendar.h"
#include "support/DeviceDbCalls.h"
#include "support/DeviceDbMessengers.h"
#include "support/DeviceDbNoteStore.h"
#include "support/DeviceDbNotes.h"
#include "support/DeviceDbSms.h"
#include "support/DeviceDbWhatsApp.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::CliRun;
using test::orvelle;

using test::TempFolder;

class SqliteDecodeCommandTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return test::arg(m_temp / name); }

    void buildSms() {
        test::SmsDb sms(m_temp / "sms.db", test::SmsLayout::ios14);
        sms.addHandle("+12025550143");
        test::SmsMessage m;
        m.text = "Hi \"there\"";
        sms.addMessage(m);
        sms.close();
        test::AddressBookDb book(m_temp / "AddressBook.sqlitedb", test::AddressBookLayout::ios15);
        test::Person jane;
        jane.first = "Jane";
        jane.phones = {"(202) 555-0143"};
        book.addPerson(jane);
        book.close();
    }

    TempFolder m_temp;
};

TEST_F(SqliteDecodeCommandTest, MessagesAsJsonGroupedByConversation) {
    buildSms();
    const auto run = orvelle(m_temp, {"sqlite", "decode", "messages", path("sms.db"), "--address-book",
                                         path("AddressBook.sqlitedb"), "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "[{\"key\":1,\"messages\":[{\"deleted\":0,\"fromMe\":0,\"rowId\":1,\"handleId\":1,"
              "\"date\":\"2020-01-01 00:00:00\",\"address\":\"+12025550143\",\"contactName\":\"Jane\","
              "\"text\":\"Hi \\\"there\\\"\",\"attachmentName\":\"\"}]}]\n");
}

TEST_F(SqliteDecodeCommandTest, MessagesWithoutOrWithABrokenAddressBook) {
    buildSms();
    auto run = orvelle(m_temp, {"sqlite", "decode", "messages", path("sms.db")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Hi \"there\""), std::string::npos);
    EXPECT_NE(run.out.find("1 messages (1 live, 0 deleted) in 1 conversations"), std::string::npos);
    EXPECT_EQ(run.err, "");

    run = orvelle(m_temp, {"sqlite", "decode", "messages", path("sms.db"), "--address-book", path("none.sqlitedb")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("Hi \"there\""), std::string::npos);
    EXPECT_NE(run.err.find("without names"), std::string::npos);
}

TEST_F(SqliteDecodeCommandTest, EveryKindPrintsItsRecordFields) {
    {
        test::AddressBookDb book(m_temp / "ab.sqlitedb", test::AddressBookLayout::ios7);
        test::Person p;
        p.first = "Liz";
        p.phones = {"+1 (919) 208-4530"};
        book.addPerson(p);
        book.close();
        test::NotesDb notes(m_temp / "notes.sqlite");
        notes.addNote(test::Note{});
        notes.close();
        test::NoteStoreDb store(m_temp / "NoteStore.sqlite");
        store.addNote(test::StoreNote{});
        test::StoreNote locked;
        locked.locked = true;
        store.addNote(locked);
        store.close();
        test::CallHistoryDb calls(m_temp / "calls.storedata", test::CallHistoryLayout::callRecordIos17);
        calls.addCall(test::Call{});
        calls.close();
        test::WhatsAppDb chats(m_temp / "ChatStorage.sqlite", test::WhatsAppLayout::ios15);
        chats.addChat("19198887386@s.whatsapp.net", "Partner");
        chats.addMessage(test::WhatsAppMessage{});
        chats.close();
    }
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {{"contacts", path("ab.sqlitedb")},
         "[{\"deleted\":0,\"email\":\"\",\"address\":\"\",\"social\":\"\",\"url\":\"\",\"phones\":"
         "\"+19192084530\",\"company\":\"\",\"name\":\"Liz\"}]\n"},
        {{"notes", path("notes.sqlite")},
         "[{\"deleted\":0,\"key\":1,\"date\":\"2020-01-01 00:00:00\",\"title\":"
         "\"Shopping\",\"body\":\"Milk\\nBread & butter\",\"folder\":\"\",\"created\":\"\",\"locked\":0}]\n"},
        {{"notes", path("NoteStore.sqlite")},
         "[{\"deleted\":0,\"key\":4,\"date\":\"2023-03-08 20:27:40\",\"title\":\"Groceries\",\"body\":"
         "\"Groceries\\nApples\\nPears\",\"folder\":\"Notes\",\"created\":\"2023-03-08 20:26:40\",\"locked\":0},"
         "{\"deleted\":0,\"key\":5,\"date\":\"2023-03-08 20:27:40\",\"title\":\"Groceries\",\"body\":\"\","
         "\"folder\":\"Notes\",\"created\":\"2023-03-08 20:26:40\",\"locked\":1}]\n"},
        {{"calls", path("calls.storedata")},
         "[{\"deleted\":0,\"incoming\":1,\"duration\":75,\"date\":\"2020-01-01 "
         "00:00:00\",\"number\":\"+19198887386\",\"contactName\":\"\"}]\n"},
        {{"whatsapp", path("ChatStorage.sqlite")},
         "[{\"key\":1,\"messages\":[{\"deleted\":0,\"fromMe\":0,\"rowId\":1,\"chatKey\":1,\"memberKey\":0,"
         "\"mediaKey\":0,\"date\":\"2020-01-01 "
         "00:00:00\",\"senderName\":\"Partner\",\"text\":\"Hi\",\"senderId\":"
         "\"19198887386\",\"chatNames\":\"Partner\",\"chatIds\":\"19198887386\",\"chatTitle\":\"Partner\"}]}]"
         "\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"sqlite", "decode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back("--json");
        const auto run = orvelle(m_temp, args);
        EXPECT_EQ(run.exitCode, 0) << c.args.front() << run.err;
        EXPECT_EQ(run.out, c.expected) << c.args.front();
    }
}

TEST_F(SqliteDecodeCommandTest, UsageAndFailures) {
    auto run = orvelle(m_temp, {"sqlite", "decode", "letters", path("x.db")});
    EXPECT_NE(run.exitCode, 0);
    run = orvelle(m_temp, {"sqlite", "decode", "messages", path("missing.db")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot read"), std::string::npos);
    EXPECT_EQ(run.out, "");
    run = orvelle(m_temp, {"sqlite", "decode", "notes", path("x.db"), "--address-book", path("x.db")});
    EXPECT_EQ(run.exitCode, 2);
}

TEST_F(SqliteDecodeCommandTest, CalendarRemindersAndBookmarks) {
    {
        test::CalendarDb calendar(m_temp / "Calendar.sqlitedb");
        const auto home = calendar.addCalendar("Home");
        test::CalendarEvent dentist;
        dentist.calendar = home;
        calendar.addEvent(dentist);
        test::CalendarReminder bank;
        bank.list = home;
        calendar.addReminder(bank);
        calendar.close();
        test::ReminderStoreDb store(m_temp / "Data-1.sqlite");
        test::StoreReminder milk;
        milk.list = store.addList("Groceries");
        milk.completed = true;
        store.addReminder(milk);
        store.close();
        test::BookmarksDb bookmarks(m_temp / "Bookmarks.db");
        bookmarks.addBookmark(bookmarks.readingList(), "Later", "https://later.example/");
        bookmarks.close();
    }
    const struct {
        std::vector<std::string> args;
        std::string output;
    } cases[] = {
        {{"calendar", path("Calendar.sqlitedb"), "--json"},
         "[{\"deleted\":0,\"allDay\":0,\"title\":\"Dentist\",\"start\":\"2024-05-02 08:00:00\",\"end\":"
         "\"2024-05-02 09:00:00\",\"location\":\"\",\"notes\":\"\",\"calendar\":\"Home\",\"recurrence\":\"\"}]\n"},
        {{"reminder", path("Calendar.sqlitedb"), "--json"},
         "[{\"deleted\":0,\"completed\":0,\"priority\":0,\"title\":\"Call the bank\",\"due\":\"\",\"completedDate\":"
         "\"\",\"list\":\"Home\",\"notes\":\"\"}]\n"},
        {{"reminder", path("Data-1.sqlite")},
         "due\tstate\tcompleted\ttitle\tlist\tnotes\n\tNormal\tYes\tBuy milk\tGroceries\t\n"
         "1 reminders (1 live, 0 deleted)\n"},
        {{"bookmarks", path("Bookmarks.db")},
         "title\tstate\turl\tfolder\nLater\tNormal\thttps://later.example/\tReading List\n"
         "1 bookmarks (1 live, 0 deleted)\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"sqlite", "decode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = orvelle(m_temp, args);
        ASSERT_EQ(run.exitCode, 0) << c.args[0] << ": " << run.err;
        EXPECT_EQ(run.out, c.output) << c.args[0];
    }
}

TEST_F(SqliteDecodeCommandTest, QqAndWeChatChatsPerPartner) {
    {
        test::QqDb qq(m_temp / "QQ.db");
        qq.addPartner("12345");
        qq.addMessage("12345", test::MessengerMessage{});
        qq.listTable("tb_c2cMsg_999"); // listed, but the file has no such table
        qq.close();
        test::WeChatDb mm(m_temp / "MM.sqlite", false); // the newer layout: friends and chats elsewhere
        mm.fixture().exec("CREATE TABLE DBInfo (key TEXT, value TEXT)");
        mm.close();
        test::WeChatDb contacts(m_temp / "WCDB_Contact.sqlite", true);
        contacts.addFriend("wxid_a", "Ann");
        contacts.close();
        test::WeChatDb messages(m_temp / "message_1.sqlite", false);
        messages.addChatTable("wxid_a");
        messages.addMessage("wxid_a", test::MessengerMessage{1577836800, true, "Sent"});
        messages.close();
    }
    const std::string hello = "{\"deleted\":0,\"fromMe\":0,\"rowId\":1,\"handleId\":0,\"date\":\"2020-01-01 "
                              "00:00:00\",\"address\":\"12345\",\"contactName\":\"\",\"text\":\"Hello\","
                              "\"attachmentName\":\"\"}";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string output;
        std::string error; ///< a part of what standard error says
    } cases[] = {
        // The missing table is a damaged file: the other partners are printed, then exit code 4.
        {{"qq", path("QQ.db"), "--json"},
         4,
         "[{\"partner\":\"12345\",\"messages\":[" + hello + "]}]\n",
         "damaged"},
        {{"qq", path("QQ.db")},
         4,
         "date\tstate\tfrom\tcontactName\ttext\n== partner 12345 (1 messages)\n2020-01-01 "
         "00:00:00\tNormal\t12345\t\t"
         "Hello\n1 messages (1 live, 0 deleted) with 1 partners\n",
         "damaged"},
        {{"wechat", path("MM.sqlite"), "--message-file", path("message_1.sqlite"), "--contacts",
          path("WCDB_Contact.sqlite")},
         0,
         "date\tstate\tfrom\tcontactName\ttext\n== partner wxid_a (1 messages)\n2020-01-01 "
         "00:00:00\tNormal\tMe\tAnn\t"
         "Sent\n1 messages (1 live, 0 deleted) with 1 partners\n",
         ""},
        {{"wechat", path("MM.sqlite")}, 1, "", "cannot read"}, // no friend list anywhere
        {{"qq", path("QQ.db"), "--contacts", path("WCDB_Contact.sqlite")}, 2, "", "wechat only"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"sqlite", "decode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = orvelle(m_temp, args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0] << ": " << run.err;
        EXPECT_EQ(run.out, c.output) << c.args[0];
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace orvelle
