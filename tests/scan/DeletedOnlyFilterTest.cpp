#include "scan/DeletedOnlyFilter.h"

#include "scan/SelectionTally.h"
#include "scan/ScanResults.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(DeletedOnlyFilterTest, HidesLiveRecordsAndShowsThemAgain) {
    ScanResults results;
    SelectionTally tally;
    results.contacts.resize(3);
    results.contacts[1].deleted = kDeleted;
    results.cameraRoll.resize(2);
    tally.addCategory(ItemKind::Contacts, results);
    tally.addCategory(ItemKind::CameraRoll, results);

    EXPECT_EQ(setDeletedOnly(ItemKind::Contacts, true, results, tally), 2u);
    const TallyNode& contacts = *tally.categoryNode(ItemKind::Contacts);
    EXPECT_EQ(contacts.hidden, 2u);
    EXPECT_EQ(contacts.selectedHidden, 2u);
    EXPECT_EQ(tally.selectedVisibleCount(), 3u); // the deleted contact and both photos
    EXPECT_TRUE(tally.isTickedAndVisible(&results.contacts[1]));
    EXPECT_EQ(tally.lookup(&results.contacts[0])->hiddenBy, deletedOnlyFilter());
    EXPECT_EQ(setDeletedOnly(ItemKind::Contacts, true, results, tally), 2u)
        << "switching on twice counts once";
    EXPECT_EQ(contacts.hidden, 2u);

    EXPECT_EQ(setDeletedOnly(ItemKind::Contacts, false, results, tally), 0u);
    EXPECT_EQ(contacts.hidden, 0u);
    EXPECT_EQ(tally.selectedVisibleCount(), 5u);
    EXPECT_EQ(setDeletedOnly(ItemKind::CameraRoll, true, results, tally), 0u);
}

TEST(DeletedOnlyFilterTest, RemindersEventsAndBookmarksHideTheirLiveRecords) {
    ScanResults results;
    SelectionTally tally;
    results.reminders.resize(3);
    results.reminders[2].deleted = kDeleted;
    results.events.resize(2);
    results.events[0].deleted = kDeleted;
    results.bookmarks.resize(4);
    results.bookmarks[1].deleted = kDeleted;
    const struct {
        ItemKind kind;
        std::uint32_t live;
        const void* deletedRecord;
        const void* liveRecord;
    } cases[] = {
        {ItemKind::Reminder, 2, &results.reminders[2], &results.reminders[0]},
        {ItemKind::Calendar, 1, &results.events[0], &results.events[1]},
        {ItemKind::SafariBookmark, 3, &results.bookmarks[1], &results.bookmarks[3]},
    };
    for (const auto& c : cases)
        ASSERT_TRUE(tally.addCategory(c.kind, results));
    for (const auto& c : cases) {
        EXPECT_EQ(setDeletedOnly(c.kind, true, results, tally), c.live) << static_cast<int>(c.kind);
        EXPECT_EQ(tally.categoryNode(c.kind)->hidden, c.live);
        EXPECT_TRUE(tally.isTickedAndVisible(c.deletedRecord));
        EXPECT_FALSE(tally.isTickedAndVisible(c.liveRecord));
        EXPECT_EQ(setDeletedOnly(c.kind, false, results, tally), 0u);
        EXPECT_TRUE(tally.isTickedAndVisible(c.liveRecord));
    }
}

} // namespace
} // namespace orvelle
