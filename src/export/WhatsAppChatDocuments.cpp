#include "export/WhatsAppChatDocuments.h"

#include "export/ChatNames.h"
#include "export/CsvText.h"

namespace orvelle {

namespace {

ChatLine lineOf(const WhatsAppMessageRecord& m, std::string sender) {
    return {m.fromMe != 0, m.deleted != kLive, m.date, std::move(sender), m.text};
}

} // namespace

std::vector<ChatLine> whatsAppPageLines(const std::vector<WhatsAppMessageRecord>& messages) {
    std::vector<ChatLine> lines;
    lines.reserve(messages.size());
    for (const WhatsAppMessageRecord& m : messages)
        lines.push_back(lineOf(m, whatsAppSender(m)));
    return lines;
}

std::vector<ChatLine> whatsAppTextLines(const std::vector<WhatsAppMessageRecord>& messages) {
    std::vector<ChatLine> lines;
    lines.reserve(messages.size());
    for (const WhatsAppMessageRecord& m : messages)
        lines.push_back(lineOf(m, whatsAppParty(m)));
    return lines;
}

Status writeWhatsAppChatHtml(const std::filesystem::path& wanted, const HtmlTemplate& whatsAppTemplate,
                             const WhatsAppMessageRecord& summary,
                             const std::vector<WhatsAppMessageRecord>& messages,
                             const ProgressSink& progress) {
    const std::string head = chatHead(whatsAppTemplate, summary.chatNames, summary.chatIds);
    return writeChatHtml(wanted, head, whatsAppTemplate.tail, whatsAppPageLines(messages), progress);
}

std::string whatsAppChatCsv(const std::vector<WhatsAppMessageRecord>& messages) {
    std::string csv(kUtf8Bom);
    csv += csvLine({"Chats", "Name/Phone", "Date", "Type", "Content"});
    for (const WhatsAppMessageRecord& m : messages)
        csv += csvLine({m.senderName, m.senderId, m.date, m.fromMe != 0 ? "Send" : "Received", m.text});
    return csv;
}

} // namespace orvelle
