#include "export/MessageChatDocuments.h"

#include "export/ChatNames.h"

namespace orvelle {

namespace {

ChatLine lineOf(const MessageRecord& m, std::string sender) {
    return {m.fromMe != 0, m.deleted != kLive, m.date, std::move(sender), m.text};
}

} // namespace

std::vector<ChatLine> messagePageLines(const std::vector<MessageRecord>& messages) {
    std::vector<ChatLine> lines;
    lines.reserve(messages.size());
    for (const MessageRecord& m : messages)
        lines.push_back(lineOf(m, messageSender(m)));
    return lines;
}

std::vector<ChatLine> messageTextLines(const std::vector<MessageRecord>& messages) {
    std::vector<ChatLine> lines;
    lines.reserve(messages.size());
    for (const MessageRecord& m : messages)
        lines.push_back(lineOf(m, messageParty(m)));
    return lines;
}

Status writeMessageChatHtml(const std::filesystem::path& wanted, const HtmlTemplate& smsTemplate,
                            const MessageRecord& summary, const std::vector<MessageRecord>& messages,
                            const ProgressSink& progress) {
    const std::string head = chatHead(smsTemplate, messageChatName(summary), summary.address);
    return writeChatHtml(wanted, head, smsTemplate.tail, messagePageLines(messages), progress);
}

} // namespace orvelle
