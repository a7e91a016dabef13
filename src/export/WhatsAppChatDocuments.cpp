#include "export/WhatsAppChatDocuments.h"

#include "export/ChatNames.h"
#include "export/CsvText.h"
#include "export/RelativeLink.h"

namespace orvelle {

namespace {

ChatLine lineOf(const WhatsAppMessageRecord& m, std::string sender) {
    ChatLine line{m.fromMe != 0, m.deleted != kLive, m.date, std::move(sender), m.text, {}, {}};
    const std::string_view media = whatsAppMediaPath(m);
    if (!media.empty()) {
        line.attachmentName = attachmentFileName(media);
        line.text = {};
    }
    return line;
}

} // namespace

std::string_view whatsAppMediaPath(const WhatsAppMessageRecord& message) {
    if (message.mediaKey == 0 || message.text.find('/') == std::string::npos) return {};
    return message.text;
}

std::vector<ChatLine> whatsAppPageLines(const std::vector<WhatsAppMessageRecord>& messages,
                                        const ExportedFiles* copies, const std::filesystem::path& pageFolder) {
    std::vector<ChatLine> lines;
    lines.reserve(messages.size());
    for (const WhatsAppMessageRecord& m : messages) {
        lines.push_back(lineOf(m, whatsAppSender(m)));
        const std::string_view media = whatsAppMediaPath(m);
        if (copies && !media.empty())
            if (const std::filesystem::path* copy = copies->whatsAppMedia(media))
                lines.back().attachmentLink = relativeLink(pageFolder, *copy);
    }
    return lines;
}

std::vector<ChatLine> whatsAppTextLines(const std::vector<WhatsAppMessageRecord>& messages) {
    std::vector<ChatLine> lines;
    lines.reserve(messages.size());
    for (const WhatsAppMessageRecord& m : messages) {
        lines.push_back(lineOf(m, whatsAppParty(m)));
        lines.back().text = m.text; // the text file keeps the media item's path as its content
    }
    return lines;
}

Status writeWhatsAppChatHtml(const std::filesystem::path& wanted, const HtmlTemplate& whatsAppTemplate,
                             const WhatsAppMessageRecord& summary,
                             const std::vector<WhatsAppMessageRecord>& messages, const ProgressSink& progress,
                             const ExportedFiles* copies, std::filesystem::path* written) {
    const std::string head = chatHead(whatsAppTemplate, summary.chatNames, summary.chatIds);
    return writeChatHtml(wanted, head, whatsAppTemplate.tail,
                         whatsAppPageLines(messages, copies, wanted.parent_path()), progress, written);
}

std::string whatsAppChatCsv(const std::vector<WhatsAppMessageRecord>& messages) {
    std::string csv(kUtf8Bom);
    csv += csvLine({"Chats", "Name/Phone", "Date", "Type", "Content", "Deleted"});
    for (const WhatsAppMessageRecord& m : messages)
        csv += csvLine({m.senderName, m.senderId, m.date, m.fromMe != 0 ? "Send" : "Received", m.text,
                        deletedText(m.deleted)});
    return csv;
}

} // namespace orvelle
