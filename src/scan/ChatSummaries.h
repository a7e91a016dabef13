#pragma once
/// Chat summaries: the result views list one row per conversation, a copy of
/// its last message whose deleted flag says whether the chat holds any
/// deleted message. Chats with deleted messages come first; otherwise the
/// chat map's order is kept (stable sort).

#include "core/ItemRecords.h"

#include <vector>

namespace orvelle {

/// One summary per non-empty conversation of `chats`.
std::vector<MessageRecord> buildMessageSummaries(const ConversationMap& chats);

/// One summary per non-empty chat of `chats`.
std::vector<WhatsAppMessageRecord> buildWhatsAppSummaries(const WhatsAppChatMap& chats);

/// One summary per non-empty conversation of every account of `chats`
/// (QQ, WeChat), accounts in map order, then as above.
std::vector<MessengerChatSummary> buildMessengerSummaries(const AccountChatMap& chats);

} // namespace orvelle
