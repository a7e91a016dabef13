#include "export/MessageChatDocuments.h"

#include "export/ChatNames.h"
#include "export/RelativeLink.h"

namespace orvelle {

namespace {

ChatLine lineOf(const MessageRecord& m, std::string sender) {
    ChatLine line{m.fromMe != 0, m.deleted != kLive, m.date, std::move(sender), m.text, {}, {}};
    line.attachmentName = attachmentFileName(m.attachmentName);
    return line;
}

} // namespace

std::vector<ChatLine> messagePageLines(const std::vector<MessageRecord>& messages, const ExportedFiles* copies,
                                       const std::filesystem::path& pageFolder) {
    std::vector<ChatLine> lines;
    lines.reserve(messages.size());
    for (const MessageRecord& m : messages) {
        lines.push_back(lineOf(m, messageSender(m)));
        if (copies && !m.attachmentName.empty())
            if (const std::filesystem::path* copy = copies->messageAttachment(m.attachmentName))
                lines.back().attachmentLink = relativeLink(pageFolder, *copy);
    }
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
                            const ProgressSink& progress, const ExportedFiles* copies, std::filesystem::path* written) {
    const std::string head = chatHead(smsTemplate, messageChatName(summary), summary.address);
    return writeChatHtml(wanted, head, smsTemplate.tail, messagePageLines(messages, copies, wanted.parent_path()),
                         progress, written);
}

} // namespace orvelle
