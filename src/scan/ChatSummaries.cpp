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

bool anyDeleted(const std::vector<MessageRecord>& messages) {
    return std::any_of(messages.begin(), messages.end(),
                       [](const MessageRecord& m) { return m.deleted != kLive; });
}

} // namespace

std::vector<MessengerChatSummary> buildMessengerSummaries(const AccountChatMap& chats) {
    std::vector<MessengerChatSummary> summaries;
    for (const auto& [account, partners] : chats)
        for (const auto& [partner, messages] : partners) {
            if (messages.empty()) continue;
            MessengerChatSummary summary;
            summary.deleted = anyDeleted(messages) ? kDeleted : kLive;
            summary.account = account;
            summary.partner = partner;
            summary.last = messages.back();
            summary.last.deleted = summary.deleted;
            if (summary.last.address.empty()) summary.last.address = partner;
            summaries.push_back(std::move(summary));
        }
    std::stable_sort(
        summaries.begin(), summaries.end(),
        [](const MessengerChatSummary& a, const MessengerChatSummary& b) { return a.deleted > b.deleted; });
    return summaries;
}

std::vector<MessageRecord> buildMessageSummaries(const ConversationMap& chats) {
    return buildSummaries<MessageRecord>(chats);
}

std::vector<WhatsAppMessageRecord> buildWhatsAppSummaries(const WhatsAppChatMap& chats) {
    return buildSummaries<WhatsAppMessageRecord>(chats);
}

} // namespace orvelle
