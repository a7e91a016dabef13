#include "scan/ScanRun.h"

#include "backup/BackupStore.h"
#include "support/FakeScanSource.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace orvelle {
namespace {

/// Names of the operations in the order a scan calls them.
enum class Op {
    CameraRoll,
    Messages,
    MessageAttachments,
    Contacts,
    CallHistory,
    Notes,
    AppFiles,
    WhatsApp,
    WhatsAppAttachments,
    Reminders,
    Calendar,
    Bookmarks
};

/// A scan source that fills each container with a little data and reports
/// progress once per operation. Tests hook into one operation.
class FakeSource : public test::FakeScanSource {
public:
    Status openResult = kStatusOk;
    std::vector<Op> calls;
    /// Runs inside the operation `hookOp` after its first item went in, before its report.
    std::optional<Op> hookOp;
    std::function<void()> hook;

    Status open(std::string_view) override {
        if (const Status answer = report(1)) return answer;
        return openResult;
    }
    Status scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                          std::vector<MediaFileRecord>& photoStream) override {
        cameraRoll.push_back({3000, "IMG_1.JPG", "a"});
        photoStream.push_back({2000, "IMG_2.JPG", "b"});
        return finish(Op::CameraRoll, [&] { cameraRoll.push_back({100, "IMG_3.JPG", "c"}); });
    }
    Status scanMessages(ConversationMap& chats) override {
        chats[1].push_back(MessageRecord{kLive, 0, 1, 1, "2024-01-01 00:00:00", "+1", "", "hi", ""});
        return finish(Op::Messages, [&] { chats[2].push_back(MessageRecord{kDeleted, 1, 0, 2}); });
    }
    Status scanMessageAttachments(std::vector<AttachmentRecord>& list) override {
        list.push_back({10, "a.JPG", "x"});
        return finish(Op::MessageAttachments, [&] { list.push_back({10, "b.JPG", "y"}); });
    }
    Status scanContacts(std::vector<ContactRecord>& list) override {
        list.push_back(ContactRecord{kLive, "", "", "", "", "+1", "", "Ann"});
        return finish(Op::Contacts, [&] { list.push_back(ContactRecord{kDeleted}); });
    }
    Status scanNotes(std::vector<NoteRecord>& list) override {
        list.push_back(NoteRecord{kLive, 1, "", "Note", ""});
        return finish(Op::Notes, [&] { list.push_back(NoteRecord{kDeleted, 2}); });
    }
    Status scanCallHistory(std::vector<CallRecord>& list) override {
        list.push_back(CallRecord{kLive, 1, 10, "", "+1", ""});
        return finish(Op::CallHistory, [&] { list.push_back(CallRecord{kDeleted}); });
    }
    Status scanWhatsAppAttachments(std::vector<MediaFileRecord>& list) override {
        list.push_back({10, "w.JPG", "w"});
        return finish(Op::WhatsAppAttachments, [] {});
    }
    Status scanAppFiles(std::vector<AppFileRecord>& list) override {
        list.push_back({10, "cam", "clip.LRV", "1"});
        list.push_back({10, "rec", "beep.snd", "2"});
        return finish(Op::AppFiles, [&] {
            list.push_back({10, "misc", "data.bin", "3"});
            list.push_back({10, "misc", "noextension", "4"});
        });
    }
    Status scanWhatsApp(WhatsAppChatMap& chats) override {
        WhatsAppMessageRecord m;
        m.chatKey = 5;
        chats[5].push_back(m);
        return finish(Op::WhatsApp, [] {});
    }

    Status scanReminders(std::vector<ReminderRecord>& list) override {
        list.push_back(ReminderRecord{kLive, 0, 0, "Milk"});
        return finish(Op::Reminders, [&] { list.push_back(ReminderRecord{kDeleted}); });
    }
    Status scanCalendar(std::vector<CalendarEventRecord>& list) override {
        list.push_back(CalendarEventRecord{kLive, 0, "Trip"});
        return finish(Op::Calendar, [&] { list.push_back(CalendarEventRecord{kDeleted}); });
    }
    Status scanBookmarks(std::vector<BookmarkRecord>& list) override {
        list.push_back(BookmarkRecord{kLive, 0, "A", "https://a.example/"});
        return finish(Op::Bookmarks, [&] { list.push_back(BookmarkRecord{kDeleted}); });
    }

private:
    /// Records the call, runs the hook, reports; the rest of the data goes in
    /// only when the report says go on.
    template <typename Rest> Status finish(Op op, Rest rest) {
        calls.push_back(op);
        if (hook && hookOp == op) hook();
        m_progress += 8;
        if (const Status answer = report(m_progress)) return answer;
        rest();
        return kStatusOk;
    }
    std::int32_t m_progress = 12;
};

/// Counts what the observer hears.
struct Heard : ScanObserver {
    std::mutex lock;
    int opened = 0, password = 0, failed = 0, counts = 0, finished = 0, shown = 0;
    std::vector<ItemKind> first;
    Status result = -12345;
    void scanOpened() override {
        std::lock_guard g(lock);
        ++opened;
    }
    void passwordNeeded() override {
        std::lock_guard g(lock);
        ++password;
    }
    void openFailed() override {
        std::lock_guard g(lock);
        ++failed;
    }
    void progressShown(int) override {
        std::lock_guard g(lock);
        ++shown;
    }
    int shownCount() {
        std::lock_guard g(lock);
        return shown;
    }
    void countsUpdated() override {
        std::lock_guard g(lock);
        ++counts;
    }
    void firstCategoryHasResults(ItemKind kind) override {
        std::lock_guard g(lock);
        first.push_back(kind);
    }
    void scanFinished(Status r) override {
        std::lock_guard g(lock);
        ++finished;
        result = r;
    }
};

class ScanRunTest : public ::testing::Test {
protected:
    ScanRunTest() : store({{}, {}}) {}
    /// Starts a scan of the given categories with a fresh fake, prepared by `setUp`.
    void start(std::set<ItemKind> categories, const std::function<void(FakeSource&)>& setUp = {}) {
        run = std::make_unique<ScanRun>(store, &heard, [this, setUp](int, BackupStore*) {
            auto source = std::make_unique<FakeSource>();
            fake = source.get();
            if (setUp) setUp(*source);
            return source;
        });
        ScanRequest request;
        request.categories = std::move(categories);
        ASSERT_EQ(run->start(request), kStatusOk);
    }
    BackupStore store;
    Heard heard;
    FakeSource* fake = nullptr;
    std::unique_ptr<ScanRun> run;
};

TEST_F(ScanRunTest, TheProgressRuleShowsRisingValuesBetween2And99) {
    ScanRun scan(store, &heard);
    const std::vector<std::pair<int, int>> cases{{0, 0}, {1, 2}, {1, 2}, {5, 5}, {3, 5}, {150, 99}};
    for (const auto& [reported, shown] : cases) {
        EXPECT_EQ(ScanRun::progress(&scan, reported), kStatusOk);
        EXPECT_EQ(scan.lastPercent(), shown) << reported;
    }
    EXPECT_EQ(heard.opened, 1); // once, on the first 1
}

TEST_F(ScanRunTest, AFullScanCallsEveryOperationInTheFixedOrderAndCountsTheResults) {
    start(allScanCategories());
    run->wait();
    EXPECT_EQ(fake->calls, (std::vector<Op>{Op::CameraRoll, Op::Messages, Op::MessageAttachments,
                                            Op::Contacts, Op::CallHistory, Op::Notes, Op::AppFiles,
                                            Op::WhatsApp, Op::WhatsAppAttachments, Op::Reminders,
                                            Op::Calendar, Op::Bookmarks}));
    EXPECT_TRUE(run->scanFinished());
    EXPECT_EQ(heard.finished, 1);
    EXPECT_EQ(heard.result, kStatusOk);
    EXPECT_EQ(heard.opened, 1);
    EXPECT_EQ(heard.first, std::vector<ItemKind>{ItemKind::CameraRoll});
    const std::vector<std::pair<ItemKind, std::uint32_t>> counts{
        {ItemKind::CameraRoll, 2}, {ItemKind::PhotoStream, 1},        {ItemKind::AppPhotos, 2},
        {ItemKind::AppVideos, 2},  {ItemKind::Messages, 2},           {ItemKind::MessageAttachments, 2},
        {ItemKind::Contacts, 2},   {ItemKind::CallHistory, 2},        {ItemKind::Notes, 2},
        {ItemKind::WhatsApp, 1},   {ItemKind::WhatsAppAttachments, 1}, {ItemKind::Reminder, 2},
        {ItemKind::Calendar, 2},   {ItemKind::SafariBookmark, 2}};
    for (const auto& [kind, count] : counts)
        EXPECT_EQ(run->count(kind), count) << static_cast<int>(kind);
    // .LRV and .snd are videos and sounds, .bin and no extension photos
    EXPECT_EQ(run->results().appVideos.count("cam"), 1u);
    EXPECT_EQ(run->results().appVideos.count("rec"), 1u);
    EXPECT_EQ(run->results().appPhotos.at("misc").size(), 2u);
    EXPECT_EQ(run->tally().root().total, 25u);
    EXPECT_EQ(run->tally().root().selected, 25u);
    EXPECT_LE(run->lastPercent(), 99);
}

TEST_F(ScanRunTest, OnlyTheTickedHalfOfAPairIsCounted) {
    start({ItemKind::PhotoStream, ItemKind::AppVideos});
    run->wait();
    EXPECT_EQ(fake->calls, (std::vector<Op>{Op::CameraRoll, Op::AppFiles}));
    EXPECT_EQ(run->count(ItemKind::CameraRoll), 0u);
    EXPECT_EQ(run->count(ItemKind::PhotoStream), 1u);
    EXPECT_EQ(run->count(ItemKind::AppPhotos), 0u);
    EXPECT_EQ(run->count(ItemKind::AppVideos), 2u);
}

TEST_F(ScanRunTest, NoCategoryTickedStillOpensUpdatesAndFinishes) {
    start({});
    run->wait();
    EXPECT_TRUE(fake->calls.empty());
    EXPECT_EQ(heard.opened, 1);
    EXPECT_EQ(heard.counts, 1);
    EXPECT_EQ(heard.finished, 1);
    for (const auto& category : kCategories)
        EXPECT_EQ(run->count(category.kind), 0u);
}

TEST_F(ScanRunTest, OpenResultsDecideHowTheScanEnds) {
    struct Case {
        Status open;
        int finished, password, failed;
        std::size_t operations;
    };
    // A failure code of open other than -110, 2 and -1 still scans and always ends with "finished".
    for (const Case& c : {Case{kStatusManifestUnreadable, 1, 0, 0, 1}, Case{kStatusWrongPassword, 0, 1, 0, 0},
                          Case{kStatusFailed, 1, 0, 1, 0}, Case{kStatusStopped, 1, 0, 0, 0}}) {
        heard.finished = heard.password = heard.failed = 0;
        start({ItemKind::Contacts}, [&](FakeSource& f) { f.openResult = c.open; });
        run->wait();
        EXPECT_EQ(heard.finished, c.finished) << c.open;
        EXPECT_EQ(heard.password, c.password) << c.open;
        EXPECT_EQ(heard.failed, c.failed) << c.open;
        EXPECT_EQ(fake->calls.size(), c.operations) << c.open;
        EXPECT_EQ(run->openResult(), c.open);
    }
    heard.finished = 0;
    start({}, [](FakeSource& f) { f.openResult = kStatusManifestUnreadable; });
    run->wait();
    EXPECT_EQ(heard.finished, 1) << "a failed open with nothing ticked is still finished";
}

/// Holds the worker inside one operation until the test lets it report.
struct Gate {
    std::promise<void> reached, go;
    void wait() {
        reached.set_value();
        go.get_future().wait();
    }
};

TEST_F(ScanRunTest, PauseBlocksTheWorkerAtItsNextReportUntilResumed) {
    Gate gate;
    auto reached = gate.reached.get_future();
    start({ItemKind::Contacts, ItemKind::Notes}, [&](FakeSource& f) {
        f.hookOp = Op::Contacts;
        f.hook = [&] { gate.wait(); };
    });
    reached.wait();
    run->pause();
    const int shownBefore = heard.shownCount();
    gate.go.set_value();
    // The worker now either waits at its report, as it should, or gets past
    // it; wait (no clock involved) until one of the two is seen.
    while (!run->workerHeld() && heard.shownCount() == shownBefore && !run->scanFinished())
        std::this_thread::yield();
    EXPECT_TRUE(run->workerHeld());
    EXPECT_EQ(heard.shownCount(), shownBefore) << "a report went through while paused";
    EXPECT_FALSE(run->scanFinished());
    EXPECT_EQ(run->results().contacts.size(), 1u); // blocked before the rest went in
    run->resume();
    run->wait();
    EXPECT_EQ(run->results().contacts.size(), 2u);
    EXPECT_EQ(run->results().notes.size(), 2u);
    EXPECT_EQ(heard.result, kStatusOk);
}

TEST_F(ScanRunTest, StopWhilePausedOrRunningEndsTheScanKeepingWhatWasFound) {
    for (const bool paused : {true, false}) {
        heard.finished = 0;
        Gate gate;
        auto reached = gate.reached.get_future();
        start({ItemKind::Contacts, ItemKind::Notes}, [&](FakeSource& f) {
            f.hookOp = Op::Contacts;
            f.hook = [&] { gate.wait(); };
        });
        reached.wait();
        if (paused) {
            run->pause();
            gate.go.set_value();
            run->stop(); // releases the pause and waits
        } else {
            run->requestStop();
            gate.go.set_value();
            run->wait();
        }
        EXPECT_TRUE(run->scanFinished());
        EXPECT_FALSE(run->paused());
        EXPECT_EQ(heard.finished, 1);
        EXPECT_EQ(heard.result, kStatusStopped);
        EXPECT_EQ(fake->calls, std::vector<Op>{Op::Contacts});
        EXPECT_EQ(run->count(ItemKind::Contacts), 1u) << "partial results stay";
        EXPECT_EQ(run->count(ItemKind::Notes), 0u);
    }
}

TEST_F(ScanRunTest, AStopDuringEachOperationKeepsItsPartialResultsAndRunsNothingAfter) {
    const std::vector<std::pair<Op, ItemKind>> cases{
        {Op::CameraRoll, ItemKind::CameraRoll},
        {Op::Messages, ItemKind::Messages},
        {Op::MessageAttachments, ItemKind::MessageAttachments},
        {Op::Contacts, ItemKind::Contacts},
        {Op::CallHistory, ItemKind::CallHistory},
        {Op::Notes, ItemKind::Notes},
        {Op::AppFiles, ItemKind::AppVideos},
        {Op::WhatsApp, ItemKind::WhatsApp},
        {Op::WhatsAppAttachments, ItemKind::WhatsAppAttachments},
        {Op::Reminders, ItemKind::Reminder},
        {Op::Calendar, ItemKind::Calendar},
        {Op::Bookmarks, ItemKind::SafariBookmark}};
    for (const auto& [op, kind] : cases) {
        start(allScanCategories(), [&, op = op](FakeSource& f) {
            f.hookOp = op;
            f.hook = [this] { run->requestStop(); };
        });
        run->wait();
        EXPECT_EQ(fake->calls.back(), op);
        EXPECT_EQ(run->lastResult(), kStatusStopped) << static_cast<int>(op);
        EXPECT_GE(run->count(kind), 1u) << static_cast<int>(op);
        EXPECT_EQ(heard.result, kStatusStopped);
    }
}

TEST_F(ScanRunTest, ASourceTypeOtherThanTheBackupStartsNothing) {
    ScanRun scan(store, &heard);
    ScanRequest request;
    request.sourceType = 0;
    EXPECT_EQ(scan.start(request), 1);
    EXPECT_TRUE(scan.scanFinished());
    EXPECT_EQ(scan.source(), nullptr);
}

} // namespace
} // namespace orvelle
