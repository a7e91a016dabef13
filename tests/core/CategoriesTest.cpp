#include "core/Categories.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(Categories, FourteenOnTheCategoryPageThenTheChatAppsInTheirShownOrder) {
    ASSERT_EQ(kCategories.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(static_cast<int>(kCategories[i].kind), i + 1) << kCategories[i].treeLabel;
        EXPECT_EQ(onCategoryPage(kCategories[i]), i < 14) << kCategories[i].treeLabel;
        EXPECT_EQ(isMessengerKind(kCategories[i].kind), i >= 14) << kCategories[i].treeLabel;
        EXPECT_EQ(kCategories[i].group,
                  i < 4 ? CategoryGroup::PhotosAndVideos : CategoryGroup::MessagesAndCallLogs);
    }
    EXPECT_EQ(kItemKindCount, 17u);
    EXPECT_EQ(kCategories[5].treeLabel, "Messages Attachments");
    EXPECT_EQ(kCategories[9].optionControl, "WhatsApp");
    EXPECT_TRUE(holdsRecords(ItemKind::QQ) && holdsRecords(ItemKind::WeChat));
}

TEST(Categories, LookUpByCommandLineName) {
    ASSERT_TRUE(categoryByCliName("whatsapp-attachments"));
    EXPECT_EQ(categoryByCliName("whatsapp-attachments")->kind, ItemKind::WhatsAppAttachments);
    EXPECT_EQ(categoryByCliName("calendar")->kind, ItemKind::Calendar);
    EXPECT_EQ(categoryByCliName("reminder")->kind, ItemKind::Reminder);
    EXPECT_EQ(categoryByCliName("safari-bookmark")->kind, ItemKind::SafariBookmark);
    EXPECT_EQ(categoryByCliName("qq")->kind, ItemKind::QQ);
    EXPECT_EQ(categoryByCliName("wechat")->kind, ItemKind::WeChat);
    EXPECT_FALSE(categoryByCliName("Camera Roll"));
}

} // namespace
} // namespace orvelle
