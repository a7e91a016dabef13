#include "scan/ChatSummaries.h"

#include <algorithm>

namespace orvelle {

namespace {

template <typename Record, typename Map> std::vector<Record> buildSummaries(const Map& chats) {
    std::vector<Record> summaries;
    summaries.reserve(chats.size());
    for (const auto& [key, messages] : chats) {
        if (messages.empty()) continue;
        Record summary = messages.back();
        const bool anyDeleted =
            std::any_of(messages.begin(), messages.end(), [](const Record& m) { return m.deleted != kLive; });
        summary.deleted = anyDeleted ? kDeleted : kLive;
        summaries.push_back(std::move(summary));
    }
    std::stable_sort(summaries.begin(), summaries.end(),
                     [](const Record& a, const Record& b) { return a.deleted > b.deleted; });
    return summaries;
}

} // namespace

std::vector<MessageRecord> buildMessageSummaries(const ConversationMap& chats) {
    return buildSummaries<MessageRecord>(chats);
}

std::vector<WhatsAppMessageRecord> buildWhatsAppSummaries(const WhatsAppChatMap& chats) {
    return buildSummaries<WhatsAppMessageRecord>(chats);
}

} // namespace orvelle
