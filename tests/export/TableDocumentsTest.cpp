#include "export/CallHistoryDocument.h"
#include "export/ContactsDocument.h"
#include "export/ExportTemplates.h"
#include "export/ListDocuments.h"
#include "export/NotesDocument.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(TableDocumentsTest, CallRowsShowDirectionStateAndDurationInTheirOwnColumns) {
    const struct {
        int incoming;
        int duration;
        const char* direction;
        const char* state;
        const char* duration_;
    } cases[] = {
        {1, 0, "Incoming", "Missed", "0 Sec"},
        {0, 0, "Outgoing", "Canceled", "0 Sec"},
        {1, 75, "Incoming", "Answered", "1 Min 15 Sec"},
        {0, 3725, "Outgoing", "Answered", "1 Hour 2 Min"},
    };
    for (const auto& c : cases) {
        CallRecord call;
        call.incoming = c.incoming;
        call.duration = c.duration;
        call.date = "2019-09-09 09:09:09";
        call.number = "+4930";
        call.contactName = "Dee & Co";
        EXPECT_EQ(callHistoryRow(call), std::string("\t<tr><td>Dee &amp; Co</td><td>+4930</td><td>2019-09-09 "
                                                    "09:09:09</td><td>") +
                                            c.direction + "</td><td>" + c.state + "</td><td>" + c.duration_ +
                                            "</td></tr>\r\n");
    }
}

TEST(TableDocumentsTest, DeletedRowsAreMarkedByClassAndByALabelInTheirFirstCell) {
    const std::string label = "<span class=\"deleted_label\">Deleted</span> ";
    CallRecord call;
    call.deleted = kDeleted;
    call.contactName = "<Eve>";
    EXPECT_EQ(callHistoryRow(call).rfind("\t<tr class=\"deleted\"><td>" + label + "&lt;Eve&gt;</td>", 0), 0u)
        << callHistoryRow(call);
    NoteRecord note;
    note.deleted = kDeleted;
    note.title = "Plan";
    EXPECT_EQ(noteRow(note), "\t<tr class=\"deleted\"><td>" + label + "Plan</td><td></td><td></td></tr>\r\n");
    ContactRecord contact;
    contact.deleted = kDeleted;
    contact.name = "Ann";
    EXPECT_EQ(contactRow(contact).rfind("\t<tr class=\"deleted\"><td>" + label + "Ann</td>", 0), 0u);
    // Live rows carry neither.
    call.deleted = note.deleted = contact.deleted = kLive;
    for (const std::string& row : {callHistoryRow(call), noteRow(note), contactRow(contact)}) {
        EXPECT_EQ(row.find("deleted"), std::string::npos) << row;
        EXPECT_EQ(row.find("Deleted"), std::string::npos) << row;
    }
}

TEST(TableDocumentsTest, NoteRowKeepsLineBreaksReadable) {
    NoteRecord note;
    note.title = "List";
    note.date = "2018-01-01 00:00:00";
    note.body = "milk\neggs <fresh>";
    EXPECT_EQ(noteRow(note), "\t<tr><td>List</td><td>2018-01-01 00:00:00</td><td>milk<br>eggs "
                             "&lt;fresh&gt;</td></tr>\r\n");
}

TEST(TableDocumentsTest, ReminderCalendarAndBookmarkRowsEscapeAndQuoteTheSameCells) {
    ReminderRecord reminder;
    reminder.deleted = kDeleted;
    reminder.completed = 1;
    reminder.priority = 1;
    reminder.title = "Call <Bob>, \"urgent\"";
    reminder.due = "2024-05-01 18:00:00";
    reminder.list = "Work & Home";
    reminder.notes = "line one\nline two";
    CalendarEventRecord event;
    event.allDay = 1;
    event.title = "Trip";
    event.start = "2024-05-03 00:00:00";
    event.end = "2024-05-04 00:00:00";
    event.location = "Office, 1 Main Street";
    event.calendar = "Home";
    event.recurrence = "FREQ=WEEKLY;INTERVAL=1";
    BookmarkRecord bookmark;
    bookmark.readingList = 1;
    bookmark.title = "<script>x</script>";
    bookmark.url = "https://a.example/?q=1&r=2";
    bookmark.folder = "Reading List";
    const struct {
        std::string row;
        std::string expectedRow;
        std::string line;
        std::string expectedLine;
    } cases[] = {
        {reminderRow(reminder),
         "\t<tr><td>Call &lt;Bob&gt;, &quot;urgent&quot;</td><td>2024-05-01 18:00:00</td><td>Yes</td><td>Work "
         "&amp; Home</td><td>1</td><td>line one<br>line two</td><td>Deleted</td></tr>\r\n",
         reminderCsvLine(reminder),
         "\"Call <Bob>, \"\"urgent\"\"\",2024-05-01 18:00:00,Yes,Work & Home,1,\"line one\nline two\",Deleted\r\n"},
        {calendarRow(event),
         "\t<tr><td>Trip</td><td>2024-05-03 00:00:00</td><td>2024-05-04 00:00:00</td><td>Yes</td><td>Office, 1 "
         "Main Street</td><td>Home</td><td>FREQ=WEEKLY;INTERVAL=1</td><td></td><td>Normal</td></tr>\r\n",
         calendarCsvLine(event),
         "Trip,2024-05-03 00:00:00,2024-05-04 00:00:00,Yes,\"Office, 1 Main Street\",Home,FREQ=WEEKLY;INTERVAL=1,,"
         "Normal\r\n"},
        {bookmarkRow(bookmark),
         "\t<tr><td>&lt;script&gt;x&lt;/script&gt;</td><td>https://a.example/?q=1&amp;r=2</td><td>Reading "
         "List</td><td>Yes</td><td>Normal</td></tr>\r\n",
         bookmarkCsvLine(bookmark), "<script>x</script>,https://a.example/?q=1&r=2,Reading List,Yes,Normal\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.row, c.expectedRow);
        EXPECT_EQ(c.line, c.expectedLine);
    }
}

TEST(TableDocumentsTest, ContactRowJoinsPhonesWithBrAndKeepsColumnOrder) {
    ContactRecord c;
    c.name = "Ann";
    c.phones = "+111\n+222";
    c.email = "a@x";
    c.address = "Street 1";
    c.url = "http://x";
    c.social = "@ann";
    c.company = "<Acme>";
    EXPECT_EQ(contactRow(c), "\t<tr><td>Ann</td><td>+111<br />+222</td><td>a@x</td><td>Street 1</td>"
                             "<td>http://x</td><td>@ann</td><td>&lt;Acme&gt;</td></tr>\r\n");
}

TEST(ExportTemplatesTest, ShippedTemplatesLoadWithTitlesAndPlaceholders) {
    ExportTemplates templates;
    const std::filesystem::path folder = std::filesystem::path(ORVELLE_SOURCE_DIR) / "template";
    ASSERT_EQ(loadExportTemplates(folder, "Ann's <iPhone>", templates), kStatusOk);
    EXPECT_NE(templates.callHistory.head.find("iPhone's Call History of Ann&#39;s &lt;iPhone&gt;"),
              std::string::npos);
    EXPECT_NE(templates.whatsApp.head.find("iPhone's WhatsApp Messages of "), std::string::npos);
    for (const HtmlTemplate* t : {&templates.callHistory, &templates.notes, &templates.contacts,
                                  &templates.sms, &templates.whatsApp}) {
        EXPECT_EQ(t->head.find("{|title|}"), std::string::npos);
        EXPECT_EQ(t->tail.find("{|content|}"), std::string::npos);
    }
    EXPECT_NE(templates.sms.head.find("{|person|}"), std::string::npos);
    for (const HtmlTemplate* t : {&templates.callHistory, &templates.notes, &templates.contacts})
        for (const char* cls : {"tr.deleted", ".deleted_label"})
            EXPECT_NE(t->head.find(cls), std::string::npos) << cls;
    for (const char* cls : {".date", ".send_msg", ".recv_msg", ".del_send_msg", ".del_recv_msg"}) {
        EXPECT_NE(templates.sms.head.find(cls), std::string::npos) << cls;
        EXPECT_NE(templates.whatsApp.head.find(cls), std::string::npos) << cls;
    }
    EXPECT_EQ(chatHead(templates.sms, "<x>", "1").find("<x>"), std::string::npos);
    const HtmlTemplate print = loadPrintTemplate(folder);
    EXPECT_NE(print.head.find("function Init(arg)"), std::string::npos);
    EXPECT_NE(print.head.find("window.print()"), std::string::npos);
}

TEST(ExportTemplatesTest, MissingTemplateOrSplitPointFails) {
    test::TempFolder folder;
    ExportTemplates templates;
    std::filesystem::path failed;
    EXPECT_NE(loadExportTemplates(folder.path(), "", templates, &failed), kStatusOk);
    EXPECT_EQ(failed.filename(), "CallHistory.html");
    for (const char* name : {"CallHistory.html", "Notes.html", "contacts.html", "Sms.html"})
        test::writeFile(folder / name, "<p>{|title|}</p>{|content|}<end>");
    test::writeFile(folder / "WhatsApp.html", "no split point");
    EXPECT_EQ(loadExportTemplates(folder.path(), "", templates, &failed), kStatusInvalid);
    EXPECT_EQ(failed.filename(), "WhatsApp.html");
    EXPECT_EQ(templates.notes.head, "<p>iPhone's Notes of </p>");
    EXPECT_EQ(templates.notes.tail, "<end>");
    EXPECT_TRUE(loadPrintTemplate(folder.path()).head.empty());
}

} // namespace
} // namespace orvelle
