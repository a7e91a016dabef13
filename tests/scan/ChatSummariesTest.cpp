#include "scan/ChatSummaries.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

MessageRecord message(std::uint32_t deleted, const char* text) {
    MessageRecord m;
    m.deleted = deleted;
    m.text = text;
    return m;
}

TEST(ChatSummariesTest, LastMessageStandsForTheChatAndDeletedChatsComeFirstStably) {
    ConversationMap chats;
    chats[1] = {message(kLive, "1a"), message(kLive, "1b")};
    chats[2] = {message(kDeleted, "2a"), message(kLive, "2b")};
    chats[3] = {};
    chats[4] = {message(kLive, "4a")};
    chats[5] = {message(kLive, "5a"), message(kDeleted, "5b")};
    const auto summaries = buildMessageSummaries(chats);
    std::vector<std::string> texts;
    std::vector<std::uint32_t> flags;
    for (const auto& s : summaries) {
        texts.push_back(s.text);
        flags.push_back(s.deleted);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"2b", "5b", "1b", "4a"}));
    EXPECT_EQ(flags, (std::vector<std::uint32_t>{1, 1, 0, 0}));
}

TEST(ChatSummariesTest, WhatsAppChatsFollowTheSameRule) {
    WhatsAppChatMap chats;
    chats[7].push_back({});
    chats[7].back().chatTitle = "live";
    chats[9].push_back({});
    chats[9].back().deleted = kDeleted;
    chats[9].back().chatTitle = "deleted";
    const auto summaries = buildWhatsAppSummaries(chats);
    ASSERT_EQ(summaries.size(), 2u);
    EXPECT_EQ(summaries[0].chatTitle, "deleted");
    EXPECT_EQ(summaries[1].chatTitle, "live");
}

} // namespace
} // namespace orvelle
