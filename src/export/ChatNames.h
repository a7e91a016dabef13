#pragma once
/// How chats and their senders are named in exported files and pages.

#include "core/ItemRecords.h"

#include <string>

namespace orvelle {

/// A text-message chat's name: the summary's contact name, or "Unknown".
std::string messageChatName(const MessageRecord& summary);
/// Its file name: chat name + "(" + address + ")", or the chat name alone without address.
std::string messageChatFileName(const MessageRecord& summary);
/// The other party of a message in text files and on the print page:
/// contactName(address) when the contact name is known, else the address.
std::string messageParty(const MessageRecord& message);
/// The name of a QQ or WeChat conversation: nickname(partner) when the app
/// keeps a nickname, else the partner's number or user name.
std::string messengerChatName(const MessengerChatSummary& summary);
/// The sender of a received message in a chat page: the contact name, or the
/// address when the name is empty or "Unknown".
std::string messageSender(const MessageRecord& message);

/// A WhatsApp chat's name, used for its folder and files: chatNames(chatIds)
/// (chatIds alone when there are no names), the chat title for a group
/// (names holding ","), "Unknown" when that leaves nothing.
std::string whatsAppChatName(const WhatsAppMessageRecord& summary);
/// The party of a WhatsApp message in text files: senderName(senderId), or
/// the id when the name is empty or "Unknown".
std::string whatsAppParty(const WhatsAppMessageRecord& message);
/// The sender of a received WhatsApp message in a chat page: the sender's
/// name, or the id when the name is empty or "Unknown".
std::string whatsAppSender(const WhatsAppMessageRecord& message);

} // namespace orvelle
