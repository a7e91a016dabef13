#include "core/Categories.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(Categories, FourteenInTheirShownOrderWithTheirKinds) {
    ASSERT_EQ(kCategories.size(), 14u);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(static_cast<int>(kCategories[i].kind), i + 1) << kCategories[i].treeLabel;
    EXPECT_EQ(kItemKindCount, 15u);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(kCategories[i].group,
                  i < 4 ? CategoryGroup::PhotosAndVideos : CategoryGroup::MessagesAndCallLogs);
    EXPECT_EQ(kCategories[5].treeLabel, "Messages Attachments");
    EXPECT_EQ(kCategories[9].optionControl, "WhatsApp");
}

TEST(Categories, LookUpByCommandLineName) {
    ASSERT_TRUE(categoryByCliName("whatsapp-attachments"));
    EXPECT_EQ(categoryByCliName("whatsapp-attachments")->kind, ItemKind::WhatsAppAttachments);
    EXPECT_EQ(categoryByCliName("calendar")->kind, ItemKind::Calendar);
    EXPECT_EQ(categoryByCliName("reminder")->kind, ItemKind::Reminder);
    EXPECT_EQ(categoryByCliName("safari-bookmark")->kind, ItemKind::SafariBookmark);
    EXPECT_FALSE(categoryByCliName("Camera Roll"));
}

} // namespace
} // namespace orvelle
