// End to end: orvelle export and orvelle print on the demo backup, checked
// against a scan of the same backup made in this process; the exported chat
// and contacts pages are opened in headless Chromium when it is installed.

#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "export/ChatDocuments.h"
#include "export/ChatNames.h"
#include "export/SafeFileName.h"
#include "platform/PathText.h"
#include "scan/FileTypes.h"
#include "scan/ScanRun.h"
#include "support/Browser.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <type_traits>

namespace orvelle {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::orvelle;
using test::TempFolder;

/// Arguments in one line, for failure messages.
std::string joined(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& a : args)
        out += (out.empty() ? "" : " ") + a;
    return out;
}

/// The folders directly below `folder` (sorted).
std::vector<fs::path> subfolders(const fs::path& folder) {
    std::vector<fs::path> out;
    if (fs::is_directory(folder))
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_directory()) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

/// The only file below `folder` whose name starts with `prefix` and ends with `suffix`.
fs::path onlyFile(const fs::path& folder, const std::string& prefix, const std::string& suffix) {
    std::vector<fs::path> found;
    if (fs::is_directory(folder))
        for (const auto& e : fs::recursive_directory_iterator(folder)) {
            const std::string name = test::arg(e.path().filename());
            if (e.is_regular_file() && name.rfind(prefix, 0) == 0 && name.size() >= suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                found.push_back(e.path());
        }
    EXPECT_EQ(found.size(), 1u) << prefix << "*" << suffix << " below " << folder;
    return found.empty() ? fs::path() : found.front();
}

/// Table rows of a document, live and deleted.
std::size_t rowsIn(const std::string& page) {
    return test::occurrences(page, "\t<tr><td>") + test::occurrences(page, "\t<tr class=\"deleted\"><td>");
}

template <typename Record> std::size_t deletedIn(const std::vector<Record>& records) {
    std::size_t n = 0;
    for (const auto& r : records)
        n += r.deleted ? 1 : 0;
    return n;
}

/// The folder and document name of the reminder, calendar and bookmark
/// documents, and how many items each should hold.
struct ListDocument {
    const char* folder;
    const char* prefix;
    std::size_t items;
};

class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeDemoBackups(temp / "root");
        // What the commands should find: a scan of the same backup in this process.
        ScanRequest request;
        ASSERT_EQ(readBackupFolder(backup(), request.backup), kStatusOk);
        request.backup.folder = test::arg(backup());
        request.categories = allScanCategories();
        ASSERT_EQ(scan.start(request), kStatusOk);
        scan.wait();
        ASSERT_EQ(scan.openResult(), kStatusOk);
        ASSERT_FALSE(scan.results().messageSummaries.empty());
        ASSERT_FALSE(scan.results().contacts.empty());
    }

    fs::path backup() const { return temp / "root" / std::string(test::kDemoRecentFolder); }
    const ScanResults& results() const { return scan.results(); }

    /// The chat page of a text-message chat below an export in `dest`.
    fs::path chatPage(const fs::path& dest, const MessageRecord& summary) const {
        return onlyFile(dest / "Message", safeFileName(messageChatFileName(summary)) + ".", ".html");
    }

    TempFolder temp;
    BackupStore store{BackupStoreOptions{{}, temp / "data"}};
    ScanRun scan{store};
};

TEST_F(ExportCommand, ExportsEveryCategoryAndNeverReplacesAFile) {
    const fs::path dest = temp / "export dest";
    const CliRun run = orvelle(temp, {"export", test::arg(backup()), test::arg(dest)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string items = std::to_string(scan.tally().selectedVisibleCount());
    EXPECT_NE(run.out.find("Exported " + items + " of " + items + " items to " + test::arg(dest)),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(", 0 failed)"), std::string::npos) << run.out;

    for (const auto& media : results().cameraRoll)
        EXPECT_EQ(test::readFile(dest / "Camera Roll" / media.name), test::readFile(media.storedPath))
            << media.name;
    // App files lie where their content puts them: sounds apart from videos.
    for (const auto& [app, files] : results().appVideos)
        for (const auto& file : files) {
            const char* folder = isAudioExtension(lowerExtension(file.name)) ? "App Audio" : "App Video";
            EXPECT_EQ(test::readFile(dest / folder / app / file.name), test::readFile(file.storedPath));
        }
    EXPECT_TRUE(fs::exists(dest / "App Audio" / "example.recorder" / "memo.MP3"));
    EXPECT_FALSE(fs::exists(dest / "App Video" / "example.recorder" / "memo.MP3"));
    EXPECT_TRUE(fs::exists(dest / "index.html"));
    for (const auto& summary : results().messageSummaries)
        EXPECT_FALSE(chatPage(dest, summary).empty());
    EXPECT_TRUE(fs::exists(dest / "Message" / "sms.csv"));
    EXPECT_EQ(subfolders(dest / "WhatsApp Message").size(), results().whatsAppSummaries.size());
    // QQ and WeChat: a page and a text file per conversation, under its account.
    for (const ItemKind kind : {ItemKind::QQ, ItemKind::WeChat}) {
        const fs::path folder = dest / (kind == ItemKind::QQ ? "QQ Message" : "WeChat Message");
        ASSERT_FALSE(results().messengerSummaries(kind).empty());
        for (const MessengerChatSummary& summary : results().messengerSummaries(kind)) {
            const std::string name = safeFileName(messengerChatName(summary));
            const fs::path account = folder / platform::utf8Path(summary.account);
            const std::string text = test::readFile(onlyFile(account, name + ".", ".txt"));
            const auto& messages = results().messengerChats(kind).at(summary.account).at(summary.partner);
            EXPECT_EQ(test::occurrences(text, "   Content: "), messages.size()) << name;
            EXPECT_EQ(test::occurrences(text, "    Status: Deleted"), deletedIn(messages)) << name;
            EXPECT_FALSE(onlyFile(account, name + ".", ".html").empty()) << name;
        }
    }

    // One row per record, the deleted ones marked.
    const std::string contacts = test::readFile(onlyFile(dest / "Contacts", "Contacts", ".html"));
    EXPECT_EQ(rowsIn(contacts), results().contacts.size());
    EXPECT_EQ(test::occurrences(contacts, "\t<tr class=\"deleted\">"), deletedIn(results().contacts));
    EXPECT_FALSE(onlyFile(dest / "Contacts", "Contacts", ".csv").empty());
    const std::string calls = test::readFile(onlyFile(dest / "CallHistory", "CallHistory_", ".html"));
    EXPECT_EQ(rowsIn(calls), results().calls.size());
    EXPECT_EQ(test::occurrences(calls, "\t<tr class=\"deleted\">"), deletedIn(results().calls));
    const std::string notes = test::readFile(onlyFile(dest / "Notes", "Notes_", ".html"));
    EXPECT_EQ(rowsIn(notes), results().notes.size());
    EXPECT_EQ(test::occurrences(notes, "\t<tr class=\"deleted\">"), deletedIn(results().notes));
    for (const ListDocument& d : {ListDocument{"Reminder", "Reminders_", results().reminders.size()},
                                  ListDocument{"Calendar", "Calendar_", results().events.size()},
                                  ListDocument{"Safari Bookmark", "Bookmarks_", results().bookmarks.size()}}) {
        ASSERT_GT(d.items, 0u) << d.folder;
        const std::string html = test::readFile(onlyFile(dest / d.folder, d.prefix, ".html"));
        EXPECT_EQ(test::occurrences(html, "\t<tr><td>"), d.items) << d.folder;
        EXPECT_EQ(test::occurrences(html, "<td>Deleted</td>"), 1u) << d.folder;
        const std::string csv = test::readFile(onlyFile(dest / d.folder, d.prefix, ".csv"));
        EXPECT_EQ(test::occurrences(csv, "\r\n"), d.items + 1) << d.folder; // a header line, a line per item
        EXPECT_EQ(test::occurrences(csv, ",Deleted\r\n"), 1u) << d.folder;
    }

    // A second export into the same folder numbers its files.
    const CliRun again = orvelle(
        temp, {"export", "--categories", "camera-roll,messages", test::arg(backup()), test::arg(dest)});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    const auto& first = results().cameraRoll.front();
    const fs::path numbered = numberedPath(dest / "Camera Roll" / first.name, 1);
    EXPECT_EQ(test::readFile(numbered), test::readFile(first.storedPath));
    EXPECT_TRUE(fs::exists(dest / "Message" / "sms(1).csv"));
}

TEST_F(ExportCommand, DeletedOnlyLeavesTheLiveRowsOut) {
    const fs::path dest = temp / "deleted";
    const CliRun run =
        orvelle(temp, {"export", "--deleted-only", "--categories",
                       "camera-roll,messages,contacts,call-history,reminder,calendar,safari-bookmark",
                       test::arg(backup()), test::arg(dest)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::size_t deletedChats = 0;
    for (const auto& summary : results().messageSummaries)
        deletedChats += summary.deleted ? 1 : 0;
    ASSERT_GT(deletedChats, 0u);
    ASSERT_LT(deletedChats, results().messageSummaries.size());
    EXPECT_EQ(subfolders(dest / "Message").size(), deletedChats);
    const std::string contacts = test::readFile(onlyFile(dest / "Contacts", "Contacts", ".html"));
    EXPECT_EQ(test::occurrences(contacts, "\t<tr class=\"deleted\"><td>"), deletedIn(results().contacts));
    EXPECT_EQ(test::occurrences(contacts, "\t<tr><td>"), 0u);
    const std::string calls = test::readFile(onlyFile(dest / "CallHistory", "CallHistory_", ".html"));
    EXPECT_EQ(test::occurrences(calls, "\t<tr class=\"deleted\"><td>"), deletedIn(results().calls));
    EXPECT_EQ(test::occurrences(calls, "\t<tr><td>"), 0u);
    for (const ListDocument& d : {ListDocument{"Reminder", "Reminders_", deletedIn(results().reminders)},
                                  ListDocument{"Calendar", "Calendar_", deletedIn(results().events)},
                                  ListDocument{"Safari Bookmark", "Bookmarks_", deletedIn(results().bookmarks)}}) {
        const std::string html = test::readFile(onlyFile(dest / d.folder, d.prefix, ".html"));
        EXPECT_EQ(test::occurrences(html, "\t<tr><td>"), d.items) << d.folder;
        EXPECT_EQ(test::occurrences(html, "<td>Normal</td>"), 0u) << d.folder;
    }
    // Files have no deleted state: they are exported as usual; unasked categories are not.
    EXPECT_EQ(fs::exists(dest / "Camera Roll" / results().cameraRoll.front().name), true);
    EXPECT_FALSE(fs::exists(dest / "Notes"));
    EXPECT_FALSE(fs::exists(dest / "WhatsApp Message"));
}

TEST_F(ExportCommand, RefusesWrongArguments) {
    struct Case {
        std::vector<std::string> args;
        int exitCode; ///< -1: any failure (the option parser's own codes)
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"export", test::arg(backup()), test::arg(backup() / "out")}, 2, "inside the backup"},
        {{"export", test::arg(backup()), test::arg(backup() / ".." / std::string(test::kDemoRecentFolder))},
         2,
         "inside the backup"},
        {{"print", test::arg(backup()), "--category", "notes", "--out", test::arg(backup() / "page.html")},
         2,
         "inside the backup"},
        {{"export", "--categories", "contacts,bogus", test::arg(backup()), test::arg(temp / "x")},
         2,
         "\"bogus\""},
        {{"export", test::arg(temp / "missing"), test::arg(temp / "x")}, 3, "does not exist"},
        {{"print", test::arg(backup()), "--category", "bogus", "--out", test::arg(temp / "p.html")},
         -1,
         "bogus"},
    };
    for (const Case& c : cases) {
        const CliRun run = orvelle(temp, c.args);
        if (c.exitCode < 0)
            EXPECT_NE(run.exitCode, 0) << joined(c.args);
        else
            EXPECT_EQ(run.exitCode, c.exitCode) << joined(c.args) << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << joined(c.args) << "\n" << run.err;
    }
    EXPECT_FALSE(fs::exists(backup() / "out"));
    EXPECT_FALSE(fs::exists(backup() / "page.html"));
    EXPECT_FALSE(fs::exists(temp / "x"));
}

TEST_F(ExportCommand, PrintWritesOneBlockPerTickedItem) {
    std::size_t messages = 0, inDeletedChats = 0;
    for (const auto& summary : results().messageSummaries) {
        const auto& chat = results().messageChats.at(summary.handleId);
        messages += chat.size();
        if (summary.deleted) inDeletedChats += chat.size();
    }
    std::size_t qqMessages = 0, weChatInDeletedChats = 0;
    for (const auto& summary : results().qqSummaries)
        qqMessages += results().qqChats.at(summary.account).at(summary.partner).size();
    for (const auto& summary : results().weChatSummaries)
        if (summary.deleted)
            weChatInDeletedChats += results().weChatChats.at(summary.account).at(summary.partner).size();
    struct Case {
        std::vector<std::string> options;
        std::string marker;
        std::size_t blocks;
    };
    const std::vector<Case> cases = {
        {{"--category", "messages"}, "<p><span>Content:</span>", messages},
        {{"--category", "messages", "--deleted-only"}, "<p><span>Content:</span>", inDeletedChats},
        {{"--category", "contacts"}, "<p><span>Name:</span>", results().contacts.size()},
        {{"--category", "notes", "--deleted-only"}, "<p><span>Title:</span>", deletedIn(results().notes)},
        {{"--category", "reminder"}, "<p><span>Due:</span>", results().reminders.size()},
        {{"--category", "calendar", "--deleted-only"}, "<p><span>Start:</span>", deletedIn(results().events)},
        {{"--category", "safari-bookmark"}, "<p><span>URL:</span>", results().bookmarks.size()},
        {{"--category", "qq"}, "<p><span>Content:</span>", qqMessages},
        {{"--category", "wechat", "--deleted-only"}, "<p><span>Content:</span>", weChatInDeletedChats},
    };
    for (const Case& c : cases) {
        const fs::path page = temp / "print" / "page.html";
        std::vector<std::string> args = {"print", test::arg(backup())};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"--out", test::arg(page)});
        const CliRun run = orvelle(temp, args);
        ASSERT_EQ(run.exitCode, 0) << joined(c.options) << "\n" << run.err;
        EXPECT_NE(run.out.find("written to " + test::arg(page)), std::string::npos) << run.out;
        const std::string html = test::readFile(page);
        EXPECT_EQ(test::occurrences(html, c.marker), c.blocks) << joined(c.options);
        EXPECT_NE(html.find("Init"), std::string::npos) << "the print template is missing";
    }
    // A category without a print page is refused instead of giving an empty page.
    const fs::path page = temp / "print" / "camera-roll.html";
    const CliRun refused = orvelle(temp, {"print", test::arg(backup()), "--category", "camera-roll", "--out",
                                          test::arg(page)});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("Camera Roll has no print page"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(page));
}

TEST_F(ExportCommand, ExportedPagesShowEveryTextInABrowser) {
#ifdef _WIN32
    GTEST_SKIP() << "the pages are rendered with headless Chromium, which the tests start on Linux only";
#endif
    if (test::chromiumProgram().empty()) GTEST_SKIP() << "chromium is not installed";
    const fs::path dest = temp / "browser";
    const CliRun run =
        orvelle(temp, {"export", "--categories",
                       "messages,contacts,whatsapp,reminder,calendar,safari-bookmark,qq,wechat",
                       test::arg(backup()), test::arg(dest)});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // Every bubble of a chat page shows its message's text, in order, and
    // names an attachment that was not exported (none was asked for here).
    const auto shownText = [](const auto& message) {
        std::string text = message.text;
        if constexpr (std::is_same_v<std::decay_t<decltype(message)>, MessageRecord>)
            if (!message.attachmentName.empty())
                text += (text.empty() ? "" : "\n") + std::string("Attachment: ") +
                        attachmentFileName(message.attachmentName);
        return text;
    };
    auto expectBubbles = [&](const fs::path& page, const auto& chat) {
        const auto rendered = test::renderPage(page, ".send_msg, .recv_msg, .del_send_msg, .del_recv_msg");
        ASSERT_TRUE(rendered) << "chromium did not render " << page;
        ASSERT_EQ(rendered->elements.size(), chat.size()) << page;
        for (std::size_t i = 0; i < chat.size(); ++i) {
            EXPECT_TRUE(rendered->elements[i].visible) << page << " " << i;
            EXPECT_EQ(rendered->elements[i].text, shownText(chat[i])) << page << " " << i;
        }
        EXPECT_EQ(rendered->images + rendered->scripts + rendered->eventAttributes, 0u) << page;
    };
    for (const auto& summary : results().messageSummaries)
        expectBubbles(chatPage(dest, summary), results().messageChats.at(summary.handleId));
    for (const auto& summary : results().whatsAppSummaries)
        expectBubbles(
            onlyFile(dest / "WhatsApp Message", safeFileName(whatsAppChatName(summary)) + ".", ".html"),
            results().whatsAppChats.at(summary.chatKey));
    for (const ItemKind kind : {ItemKind::QQ, ItemKind::WeChat})
        for (const MessengerChatSummary& summary : results().messengerSummaries(kind))
            expectBubbles(onlyFile(dest / (kind == ItemKind::QQ ? "QQ Message" : "WeChat Message") /
                                       platform::utf8Path(summary.account),
                                   safeFileName(messengerChatName(summary)) + ".", ".html"),
                          results().messengerChats(kind).at(summary.account).at(summary.partner));

    const fs::path contacts = onlyFile(dest / "Contacts", "Contacts", ".html");
    const auto rendered = test::renderPage(contacts, "tbody td:first-child");
    ASSERT_TRUE(rendered) << "chromium did not render " << contacts;
    ASSERT_EQ(rendered->elements.size(), results().contacts.size());
    for (std::size_t i = 0; i < results().contacts.size(); ++i) {
        const ContactRecord& contact = results().contacts[i];
        EXPECT_TRUE(rendered->elements[i].visible) << i;
        EXPECT_EQ(rendered->elements[i].text, (contact.deleted ? "Deleted " : "") + contact.name) << i;
    }

    // The reminder, calendar and bookmark tables show every title as text.
    auto expectTitles = [&](const char* folder, const char* prefix, const auto& records) {
        const fs::path page = onlyFile(dest / folder, prefix, ".html");
        const auto titles = test::renderPage(page, "tbody td:first-child");
        ASSERT_TRUE(titles) << "chromium did not render " << page;
        ASSERT_EQ(titles->elements.size(), records.size()) << page;
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(titles->elements[i].text, records[i].title) << page << " " << i;
        EXPECT_EQ(titles->images + titles->scripts + titles->eventAttributes, 0u) << page;
    };
    expectTitles("Reminder", "Reminders_", results().reminders);
    expectTitles("Calendar", "Calendar_", results().events);
    expectTitles("Safari Bookmark", "Bookmarks_", results().bookmarks);
}

} // namespace
} // namespace orvelle
