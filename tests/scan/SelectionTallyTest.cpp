#include "scan/SelectionTally.h"

#include "scan/ScanResults.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

struct Counters {
    std::uint32_t total, selected, hidden, selectedHidden;
    bool operator==(const Counters&) const = default;
};

Counters countersOf(const TallyNode& n) {
    return {n.total, n.selected, n.hidden, n.selectedHidden};
}

std::ostream& operator<<(std::ostream& os, const Counters& c) {
    return os << "{" << c.total << "," << c.selected << "," << c.hidden << "," << c.selectedHidden << "}";
}

const int kFilter = 0; // any address stands for the deleted-only filter

class SelectionTallyTest : public ::testing::Test {
protected:
    void SetUp() override {
        results.cameraRoll = {{100, "a.jpg", "/a"}, {5000, "b.jpg", "/b"}, {2048, "c.jpg", "/c"}};
        results.contacts.resize(2);
        results.contacts[1].deleted = kDeleted;
        results.appFiles = {
            {3000, "maps", "m.png", "/m"}, {4000, "chat", "c.png", "/c"}, {1, "chat", "v.mov", "/v"}};
        results.prepare(ItemKind::AppPhotos);
        for (ItemKind kind :
             {ItemKind::Contacts, ItemKind::CameraRoll, ItemKind::AppPhotos, ItemKind::AppVideos})
            ASSERT_TRUE(tally.addCategory(kind, results));
    }
    const TallyNode& camera() { return *tally.nodeOf(&results.cameraRoll); }

    ScanResults results;
    SelectionTally tally;
};

TEST_F(SelectionTallyTest, AddingCategoriesTicksEverythingAndSumsSizesOfAtLeast1024) {
    EXPECT_EQ(countersOf(camera()), (Counters{3, 3, 0, 0}));
    EXPECT_EQ(countersOf(tally.root()), (Counters{8, 8, 0, 0}));
    // 1024 + 5000 + 2048, 2 x 1024 for contacts, 3000 + 4000 + 1024 for the app files.
    EXPECT_EQ(tally.totalSize(), 8072u + 2048u + 8024u);
    EXPECT_EQ(tally.selectedSize(), tally.totalSize());
    // Categories are kept in kind order, whatever order they were added in.
    std::vector<ItemKind> kinds;
    for (const TallyNode* n : tally.root().children)
        kinds.push_back(n->kind);
    EXPECT_EQ(kinds, (std::vector<ItemKind>{ItemKind::CameraRoll, ItemKind::AppPhotos, ItemKind::AppVideos,
                                            ItemKind::Contacts}));
    // Tags carry the deleted flag of database records.
    EXPECT_EQ(tally.lookup(&results.contacts[1])->tag, kDeleted);
    EXPECT_EQ(tally.lookup(&results.cameraRoll[0])->tag, 0u);
    EXPECT_FALSE(tally.addCategory(ItemKind::CameraRoll, results)) << "a category is added once";
    EXPECT_FALSE(tally.addCategory(ItemKind::None, results));
}

TEST_F(SelectionTallyTest, SelectingItemsMovesCountersUpToTheRootWithCapsAndFloors) {
    ASSERT_TRUE(tally.select(&results.cameraRoll[1], false));
    EXPECT_EQ(countersOf(camera()), (Counters{3, 2, 0, 0}));
    EXPECT_EQ(tally.root().selected, 7u);
    EXPECT_EQ(tally.selectedSize(), tally.totalSize() - 5000);
    // Unticking again changes nothing (floor), ticking twice stays at total (cap).
    tally.select(&results.cameraRoll[1], false);
    EXPECT_EQ(camera().selected, 2u);
    tally.select(&results.cameraRoll[1], true);
    tally.select(&results.cameraRoll[1], true);
    EXPECT_EQ(countersOf(camera()), (Counters{3, 3, 0, 0}));
    EXPECT_EQ(tally.selectedSize(), tally.totalSize());
    EXPECT_FALSE(tally.select(&tally, true)) << "unknown key";
}

TEST_F(SelectionTallyTest, GroupSelectCountsOnlyItemsThatChangeAndKeepsHiddenSizesOut) {
    tally.select(&results.contacts[0], false);
    ASSERT_TRUE(tally.setHidden(&results.contacts[1], &kFilter)); // hidden and ticked
    const TallyNode& contacts = *tally.nodeOf(&results.contacts);
    EXPECT_EQ(countersOf(contacts), (Counters{2, 1, 1, 1}));
    const auto sizeBefore = tally.selectedSize();

    tally.select(&results.contacts, false); // the group entry: the container's address
    EXPECT_EQ(countersOf(contacts), (Counters{2, 0, 1, 0}));
    EXPECT_EQ(tally.selectedSize(), sizeBefore) << "the hidden item's size was not in the sum";
    EXPECT_FALSE(tally.lookup(&results.contacts)->selected);

    tally.select(&results.contacts, true);
    EXPECT_EQ(countersOf(contacts), (Counters{2, 2, 1, 1}));
    EXPECT_EQ(tally.selectedSize(), sizeBefore + 1024) << "only the visible item adds its size";
    EXPECT_EQ(countersOf(tally.root()), (Counters{8, 8, 1, 1}));
    EXPECT_EQ(tally.selectedVisibleCount(), 7u);
}

TEST_F(SelectionTallyTest, AppGroupsAndCategoryGroupsReachEveryApp) {
    const TallyNode& photos = *tally.categoryNode(ItemKind::AppPhotos);
    ASSERT_EQ(photos.children.size(), 2u);
    EXPECT_EQ(photos.children[0]->appName, "chat"); // app-name order
    const TallyNode& chat = *tally.nodeOf(&results.appPhotos.at("chat"));
    EXPECT_EQ(countersOf(photos), (Counters{2, 2, 0, 0}));

    tally.select(&results.appPhotos.at("chat"), false);
    EXPECT_EQ(countersOf(chat), (Counters{1, 0, 0, 0}));
    EXPECT_EQ(tickState(photos), TickState::Partial);
    EXPECT_EQ(tickState(chat), TickState::Unticked);

    tally.select(&results.appPhotos, false);
    EXPECT_EQ(countersOf(photos), (Counters{2, 0, 0, 0}));
    tally.select(&results.appPhotos, true);
    EXPECT_EQ(countersOf(photos), (Counters{2, 2, 0, 0}));
    EXPECT_EQ(tickState(photos), TickState::Ticked);
    EXPECT_EQ(tally.selectedSize(), tally.totalSize());
}

TEST_F(SelectionTallyTest, SetHiddenAndBackRestoresEverything) {
    const void* item = &results.cameraRoll[1];
    ASSERT_TRUE(tally.setHidden(item, &kFilter));
    tally.setHidden(item, &kFilter); // a second hide changes nothing
    EXPECT_EQ(countersOf(camera()), (Counters{3, 3, 1, 1}));
    EXPECT_EQ(tally.selectedSize(), tally.totalSize() - 5000);
    EXPECT_FALSE(tally.isTickedAndVisible(item));

    tally.select(item, false); // unticking a hidden item leaves the size sum alone
    EXPECT_EQ(countersOf(camera()), (Counters{3, 2, 1, 0}));
    EXPECT_EQ(tally.selectedSize(), tally.totalSize() - 5000);

    tally.setHidden(item, nullptr);
    EXPECT_EQ(countersOf(camera()), (Counters{3, 2, 0, 0}));
    tally.select(item, true);
    EXPECT_EQ(countersOf(camera()), (Counters{3, 3, 0, 0}));
    EXPECT_EQ(tally.selectedSize(), tally.totalSize());
    EXPECT_TRUE(tally.isTickedAndVisible(item));
    EXPECT_FALSE(tally.setHidden(&results.cameraRoll, &kFilter)) << "groups are not hidden";
}

TEST_F(SelectionTallyTest, ClearLeavesAnEmptyRoot) {
    tally.clear();
    EXPECT_EQ(countersOf(tally.root()), (Counters{0, 0, 0, 0}));
    EXPECT_EQ(tally.totalSize(), 0u);
    EXPECT_EQ(tally.lookup(&results.cameraRoll[0]), nullptr);
    EXPECT_EQ(tally.nodeOf(&results.cameraRoll), nullptr);
    EXPECT_EQ(tally.selectedVisibleCount(), 0u);
}

TEST(CategoryCountTest, FollowsTallyForMediaAndContainersForTheRest) {
    ScanResults results;
    SelectionTally tally;
    results.cameraRoll.resize(2);
    results.photoStream.resize(3); // filled by the same scan, but not ticked: not in the tally
    results.messageChats[1] = {MessageRecord{}, MessageRecord{}};
    results.messageChats[2] = {MessageRecord{}};
    results.calls.resize(4);
    results.prepare(ItemKind::Messages);
    tally.addCategory(ItemKind::CameraRoll, results);
    EXPECT_EQ(categoryCount(ItemKind::CameraRoll, results, tally), 2u);
    EXPECT_EQ(categoryCount(ItemKind::PhotoStream, results, tally), 0u);
    EXPECT_EQ(categoryCount(ItemKind::Messages, results, tally), 2u) << "chats, not messages";
    EXPECT_EQ(categoryCount(ItemKind::CallHistory, results, tally), 4u);
    EXPECT_EQ(categoryCount(ItemKind::None, results, tally), 0u);
}

} // namespace
} // namespace orvelle
