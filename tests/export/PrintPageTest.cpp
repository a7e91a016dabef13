#include "export/PrintPage.h"

#include "scan/SelectionTally.h"
#include "scan/ScanResults.h"
#include "scan/WorkerControl.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <thread>

namespace orvelle {
namespace {

class PrintPageTest : public ::testing::Test {
protected:
    void addAll() {
        for (const auto& c : kCategories) {
            if (c.kind == ItemKind::None) continue;
            results.prepare(c.kind);
            tally.addCategory(c.kind, results);
        }
    }
    std::string content(ItemKind kind, bool deletedOnly = false) {
        std::string out;
        EXPECT_EQ(buildPrintContent(kind, deletedOnly, results, tally, control, out), kStatusOk);
        return out;
    }

    ScanResults results;
    SelectionTally tally;
    WorkerControl control;
};

TEST_F(PrintPageTest, CallsAndNotesAndContactsGiveOneBlockPerTickedItem) {
    results.calls.resize(2);
    results.calls[0].contactName = "Ann";
    results.calls[0].incoming = 1;
    results.calls[0].duration = 75;
    results.calls[1].contactName = "Bo";
    results.notes.resize(1);
    results.notes[0].title = "<T>";
    results.notes[0].body = "a\nb";
    results.contacts.resize(1);
    results.contacts[0].name = "Cy";
    results.contacts[0].phones = "1\n2";
    addAll();
    tally.select(&results.calls[1], false);
    EXPECT_EQ(content(ItemKind::CallHistory),
              "<div>\r\n<p><span>Name:</span>Ann</p>\r\n<p><span>Phone Number:</span></p>\r\n"
              "<p><span>Date:</span></p>\r\n<p><span>Type:</span>Incoming</p>\r\n"
              "<p><span>State:</span>Answered</p>\r\n<p><span>Duration:</span>1 Min 15 Sec</p>\r\n</div>\r\n");
    EXPECT_EQ(content(ItemKind::Notes),
              "<div>\r\n<p><span>Title:</span>&lt;T&gt;</p>\r\n<p><span>Date:</span></p>\r\n"
              "<p><span>Notes:</span>a<br>b</p>\r\n</div>\r\n");
    EXPECT_EQ(content(ItemKind::Contacts),
              "<div>\r\n<p><span>Name:</span>Cy</p>\r\n<p><span>Phone Number:</span>1<br>2</p>\r\n"
              "<p><span>Company:</span></p>\r\n<p><span>Email:</span></p>\r\n"
              "<p><span>URL:</span></p>\r\n</div>\r\n");
    EXPECT_EQ(content(ItemKind::CameraRoll), "");
}

TEST_F(PrintPageTest, RemindersEventsAndBookmarksGiveOneBlockPerTickedItemDeletedOnlyTheDeleted) {
    results.reminders.resize(2);
    results.reminders[0].title = "Milk";
    results.reminders[0].completed = 1;
    results.reminders[1].title = "Gone";
    results.reminders[1].deleted = kDeleted;
    results.events.resize(1);
    results.events[0].title = "Trip <1>";
    results.events[0].start = "2024-05-03 00:00:00";
    results.events[0].recurrence = "FREQ=DAILY;INTERVAL=1";
    results.bookmarks.resize(2);
    results.bookmarks[0].title = "A";
    results.bookmarks[0].url = "https://a.example/?x=1&y=2";
    results.bookmarks[1].title = "B";
    addAll();
    tally.select(&results.bookmarks[1], false);
    EXPECT_EQ(content(ItemKind::Reminder),
              "<div>\r\n<p><span>Title:</span>Milk</p>\r\n<p><span>Due:</span></p>\r\n"
              "<p><span>Completed:</span>Yes</p>\r\n<p><span>List:</span></p>\r\n<p><span>Notes:</span></p>\r\n"
              "</div>\r\n<div>\r\n<p><span>Title:</span>Gone</p>\r\n<p><span>Due:</span></p>\r\n"
              "<p><span>Completed:</span></p>\r\n<p><span>List:</span></p>\r\n<p><span>Notes:</span></p>\r\n"
              "</div>\r\n");
    EXPECT_EQ(content(ItemKind::Reminder, true),
              "<div>\r\n<p><span>Title:</span>Gone</p>\r\n<p><span>Due:</span></p>\r\n"
              "<p><span>Completed:</span></p>\r\n<p><span>List:</span></p>\r\n<p><span>Notes:</span></p>\r\n"
              "</div>\r\n");
    EXPECT_EQ(content(ItemKind::Calendar),
              "<div>\r\n<p><span>Title:</span>Trip &lt;1&gt;</p>\r\n<p><span>Start:</span>2024-05-03 00:00:00</p>\r\n"
              "<p><span>End:</span></p>\r\n<p><span>Location:</span></p>\r\n<p><span>Calendar:</span></p>\r\n"
              "<p><span>Repeat:</span>FREQ=DAILY;INTERVAL=1</p>\r\n<p><span>Notes:</span></p>\r\n</div>\r\n");
    EXPECT_EQ(content(ItemKind::Calendar, true), "");
    EXPECT_EQ(content(ItemKind::SafariBookmark),
              "<div>\r\n<p><span>Title:</span>A</p>\r\n<p><span>URL:</span>https://a.example/?x=1&amp;y=2</p>\r\n"
              "<p><span>Folder:</span></p>\r\n</div>\r\n");
}

TEST_F(PrintPageTest, ChatsPrintEveryMessageAndDeletedOnlyTakesChatsWithADeletedMessage) {
    MessageRecord live, gone;
    live.handleId = 1;
    live.text = "hello";
    live.contactName = "Ann";
    live.address = "+1";
    live.fromMe = 1;
    gone = live;
    gone.handleId = 2;
    gone.fromMe = 0;
    gone.text = "bye";
    gone.contactName = "Unknown";
    gone.deleted = kDeleted;
    MessageRecord gone2 = gone;
    gone2.deleted = kLive;
    gone2.text = "again";
    results.messageChats[1] = {live};
    results.messageChats[2] = {gone, gone2};
    WhatsAppMessageRecord w;
    w.chatKey = 5;
    w.chatTitle = "Group";
    w.senderName = "Bo";
    w.date = "d";
    w.text = "<b>hi</b>";
    WhatsAppMessageRecord me = w;
    me.fromMe = 1;
    results.whatsAppChats[5] = {w, me};
    addAll();

    EXPECT_EQ(content(ItemKind::Messages, true),
              "<section class=\"chat\">\r\n<h2>Unknown(+1)</h2>\r\n"
              "<div class=\"deleted\">\r\n<p class=\"deleted_label\">Deleted</p>\r\n"
              "<p><span>From:</span>+1</p>\r\n<p><span>Date:</span></p>\r\n"
              "<p><span>Content:</span>bye</p>\r\n</div>\r\n"
              "<div>\r\n<p><span>From:</span>+1</p>\r\n<p><span>Date:</span></p>\r\n"
              "<p><span>Content:</span>again</p>\r\n</div>\r\n</section>\r\n");
    // Every conversation has a section of its own, headed by its name.
    const std::string all = content(ItemKind::Messages);
    EXPECT_NE(all.find("<section class=\"chat\">\r\n<h2>Ann(+1)</h2>\r\n<div>\r\n<p><span>To:</span>Ann(+1)</p>"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("<section class=\"chat\">\r\n<h2>Unknown(+1)</h2>"), std::string::npos);
    EXPECT_EQ(test::occurrences(all, "<section class=\"chat\">"), 2u);
    EXPECT_EQ(test::occurrences(all, "</div>\r\n</section>\r\n"), 2u) << "each section closed after its messages";
    results.whatsAppChats[5][1].deleted = kDeleted;
    results.prepare(ItemKind::WhatsApp);
    tally.addCategory(ItemKind::WhatsApp, results);
    EXPECT_EQ(content(ItemKind::WhatsApp),
              "<section class=\"chat\">\r\n<h2>Group</h2>\r\n<p><span>Chats:</span>Group</p>\r\n"
              "<p><span>Name:</span>Bo</p>\r\n"
              "<p><span>Phone Number:</span></p>\r\n<p><span>Content:</span></p>\r\n"
              "<p>Bo (d): &lt;b&gt;hi&lt;/b&gt;</p><p class=\"deleted\"><span class=\"deleted_label\">Deleted</span> "
              "Me (d): &lt;b&gt;hi&lt;/b&gt;</p>\r\n</section>\r\n");
    tally.select(&results.whatsAppSummaries[0], false);
    EXPECT_EQ(content(ItemKind::WhatsApp), "") << "an unticked chat adds nothing";
    EXPECT_EQ(content(ItemKind::WhatsApp, true), "");
}

TEST_F(PrintPageTest, DeletedContactsCallsAndNotesAreMarkedAndTheyAloneStayWithDeletedOnly) {
    results.calls.resize(2);
    results.calls[1].deleted = kDeleted;
    results.calls[1].contactName = "Gone";
    results.notes.resize(1);
    results.notes[0].deleted = kDeleted;
    results.contacts.resize(1);
    results.contacts[0].deleted = kDeleted;
    addAll();
    const std::string mark = "<div class=\"deleted\">\r\n<p class=\"deleted_label\">Deleted</p>\r\n";
    EXPECT_EQ(content(ItemKind::CallHistory, true).rfind(mark + "<p><span>Name:</span>Gone</p>", 0), 0u);
    EXPECT_EQ(content(ItemKind::CallHistory).rfind("<div>\r\n<p><span>Name:</span></p>", 0), 0u);
    EXPECT_EQ(content(ItemKind::Notes).rfind(mark, 0), 0u);
    EXPECT_EQ(content(ItemKind::Contacts, true).rfind(mark, 0), 0u);
}

TEST_F(PrintPageTest, HeadingNamesCategoryDeviceAndTimeEscaped) {
    EXPECT_EQ(printHeadingHtml(ItemKind::CallHistory, false, {"Ann's <b>iPhone</b>", "2026-12-10 09:00:00"}),
              "<header class=\"print_heading\">\r\n<h1>Call History</h1>\r\n<p class=\"print_meta\">Device: "
              "Ann&#39;s &lt;b&gt;iPhone&lt;/b&gt; &middot; Printed: 2026-12-10 09:00:00</p>\r\n"
              "</header>\r\n");
    const std::string deleted = printHeadingHtml(ItemKind::Messages, true, {});
    EXPECT_NE(deleted.find("<h1>Messages (deleted only)</h1>"), std::string::npos) << deleted;
    EXPECT_EQ(deleted.find("Device:"), std::string::npos);
    EXPECT_NE(deleted.find("Printed: 20"), std::string::npos) << "the time now";
}

TEST_F(PrintPageTest, PageIsWrittenWithTheTemplateUnlessStopped) {
    test::TempFolder folder;
    results.notes.resize(3);
    addAll();
    const HtmlTemplate page{"<head>", "<tail>"};
    const auto path = folder / "Print" / "page.html";
    ASSERT_EQ(buildPrintPage(ItemKind::CameraRoll, false, results, tally, page, path, control,
                             {"Dev", "2026-12-10 09:00:00"}),
              kStatusOk);
    EXPECT_EQ(test::readFile(path),
              "<head>" + printHeadingHtml(ItemKind::CameraRoll, false, {"Dev", "2026-12-10 09:00:00"}) +
                  "<tail>");
    EXPECT_TRUE(control.finished());

    // A stop before the builder starts: checked before the first item, nothing is written.
    std::filesystem::remove(path);
    std::string out;
    control.requestStop();
    EXPECT_EQ(buildPrintContent(ItemKind::Notes, false, results, tally, control, out), kStatusStopped);
    EXPECT_EQ(out, "");

    control.hold(); // a paused builder waits; a stop requested meanwhile ends it at once
    std::thread builder([&] {
        EXPECT_EQ(buildPrintPage(ItemKind::Notes, false, results, tally, page, path, control),
                  kStatusStopped);
    });
    while (control.finished())
        std::this_thread::yield();
    control.requestStop();
    control.release();
    builder.join();
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace orvelle
