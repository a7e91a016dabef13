#include "export/ChatNames.h"

namespace orvelle {

namespace {

constexpr std::string_view kUnknown = "Unknown";

bool isUnknownName(std::string_view name) {
    return name.empty() || name == kUnknown;
}

} // namespace

std::string messageChatName(const MessageRecord& summary) {
    return summary.contactName.empty() ? std::string(kUnknown) : summary.contactName;
}

std::string messageChatFileName(const MessageRecord& summary) {
    std::string name = messageChatName(summary);
    if (!summary.address.empty()) name += "(" + summary.address + ")";
    return name;
}

std::string messageParty(const MessageRecord& message) {
    if (isUnknownName(message.contactName)) return message.address;
    return message.contactName + "(" + message.address + ")";
}

std::string messengerChatName(const MessengerChatSummary& summary) {
    const std::string party = messageParty(summary.last);
    return party.empty() ? summary.partner : party;
}

std::string messageSender(const MessageRecord& message) {
    return isUnknownName(message.contactName) ? message.address : message.contactName;
}

std::string whatsAppChatName(const WhatsAppMessageRecord& summary) {
    std::string name;
    if (summary.chatNames.find(',') != std::string::npos)
        name = summary.chatTitle;
    else if (!summary.chatNames.empty())
        name = summary.chatNames + "(" + summary.chatIds + ")";
    else
        name = summary.chatIds;
    return name.empty() ? std::string(kUnknown) : name;
}

std::string whatsAppParty(const WhatsAppMessageRecord& message) {
    if (isUnknownName(message.senderName)) return message.senderId;
    return message.senderName + "(" + message.senderId + ")";
}

std::string whatsAppSender(const WhatsAppMessageRecord& message) {
    return isUnknownName(message.senderName) ? message.senderId : message.senderName;
}

} // namespace orvelle
