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

} // namespace
} // namespace orvelle
