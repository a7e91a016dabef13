// A small export with the shipped templates, checked file by file against
// tests/data/export/small/. Set ORVELLE_UPDATE_GOLDENS=1 to rewrite them
// after an intended change of a template or a writer.
#include "export/ExportJob.h"
#include "scan/SelectionTally.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

struct DumpSource : ExportSource {
    Status copyFile(const fs::path&, platform::OutputFile&, const fs::path& destination,
                    FileProgressFn progress, void* context) override {
        test::writeFile(destination, "copied");
        return progress(context, 100, kStatusOk, destination);
    }
    Status exportDeletedMessages(const fs::path& output) override {
        test::writeFile(output, "1,\"27B99F78-F6F0-475F-8BA1-000000000001\",\"hi\",\r\n");
        return kStatusOk;
    }
    Status exportDeletedContacts(const fs::path& output) override {
        test::writeFile(output, "1,\"Ann\",NULL\r\n");
        return kStatusOk;
    }
};

std::set<fs::path> filesBelow(const fs::path& root) {
    std::set<fs::path> out;
    if (fs::exists(root))
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file()) out.insert(fs::relative(e.path(), root));
    return out;
}

TEST(ExportGoldenTest, SmallExportMatchesTheGoldenFiles) {
    ScanResults results;
    MessageRecord m;
    m.handleId = 3;
    m.date = "2024-03-01 09:15:00";
    m.address = "+15550100";
    m.contactName = "Ann Lee";
    m.text = "Lunch at 12?";
    results.messageChats[3].push_back(m);
    m.fromMe = 1;
    m.date = "2024-03-01 09:16:30";
    m.text = "Sure, see you <there> & then";
    results.messageChats[3].push_back(m);
    m.fromMe = 0;
    m.deleted = kDeleted;
    m.date = "2024-03-01 09:20:00";
    m.text = "Deleted:\nbring the keys";
    results.messageChats[3].push_back(m);

    WhatsAppMessageRecord w;
    w.chatKey = 8;
    w.date = "2024-03-02 18:00:00";
    w.senderName = "Bo";
    w.senderId = "4917012345";
    w.chatNames = "Bo";
    w.chatIds = "4917012345";
    w.chatTitle = "Bo";
    w.text = "Photos, as promised";
    results.whatsAppChats[8].push_back(w);
    w.fromMe = 1;
    w.senderName = "Me";
    w.senderId = "";
    w.deleted = kDeleted;
    w.text = "Thanks \"a lot\"";
    results.whatsAppChats[8].push_back(w);

    ContactRecord c;
    c.name = "Ann Lee";
    c.phones = "+15550100\n+15550101";
    c.email = "ann@example.org";
    results.contacts.push_back(c);
    CallRecord call;
    call.incoming = 1;
    call.duration = 75;
    call.date = "2024-03-01 08:00:00";
    call.number = "+15550100";
    call.contactName = "Ann Lee";
    results.calls.push_back(call);
    call.duration = 0;
    results.calls.push_back(call);
    NoteRecord n;
    n.title = "Groceries";
    n.date = "2024-02-28 20:00:00";
    n.body = "milk\neggs";
    results.notes.push_back(n);
    results.cameraRoll.push_back({6, "IMG_0001.JPG", "/stored/1"});
    ReminderRecord reminder;
    reminder.title = "Pick up \"parcel\", <today>";
    reminder.due = "2024-03-05 17:00:00";
    reminder.list = "Errands";
    results.reminders.push_back(reminder);
    CalendarEventRecord event;
    event.deleted = kDeleted;
    event.title = "Lunch & talk";
    event.start = "2024-03-06 12:00:00";
    event.end = "2024-03-06 13:00:00";
    event.location = "Cafe, 1 Main St";
    event.calendar = "Work";
    event.recurrence = "FREQ=WEEKLY;INTERVAL=2";
    results.events.push_back(event);
    BookmarkRecord bookmark;
    bookmark.readingList = 1;
    bookmark.title = "Read later";
    bookmark.url = "https://news.example/a?b=1&c=2";
    bookmark.folder = "Reading List";
    results.bookmarks.push_back(bookmark);

    SelectionTally tally;
    for (const auto& cat : kCategories) {
        if (cat.kind == ItemKind::None) continue;
        results.prepare(cat.kind);
        tally.addCategory(cat.kind, results);
    }
    ExportTemplates templates;
    ASSERT_EQ(loadExportTemplates(fs::path(ORVELLE_SOURCE_DIR) / "template", "Ann's iPhone", templates),
              kStatusOk);
    test::TempFolder dest;
    DumpSource source;
    ExportJob job(results, tally, source, templates, {dest.path(), "20240304050607"});
    const ExportSummary summary = job.run();
    EXPECT_EQ(summary.done, 10u);
    EXPECT_EQ(summary.failed, 0u);

    const fs::path golden = fs::path(ORVELLE_SOURCE_DIR) / "tests/data/export/small";
    if (std::getenv("ORVELLE_UPDATE_GOLDENS")) {
        fs::remove_all(golden);
        for (const fs::path& f : filesBelow(dest.path()))
            test::writeFile(golden / f, test::readFile(dest / f));
    }
    const auto written = filesBelow(dest.path());
    EXPECT_EQ(written, filesBelow(golden));
    for (const fs::path& f : written)
        if (fs::exists(golden / f)) EXPECT_EQ(test::readFile(dest / f), test::readFile(golden / f)) << f;
}

} // namespace
} // namespace orvelle
