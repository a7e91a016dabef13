#pragma once
/// The files of one exported WhatsApp chat: its page, its text file and its
/// CSV file (columns Chats, Name/Phone, Date, Type, Content).

#include "core/ItemRecords.h"
#include "export/ChatDocuments.h"
#include "export/ExportTemplates.h"

namespace orvelle {

/// The messages of a chat as page lines (a received message names its sender).
std::vector<ChatLine> whatsAppPageLines(const std::vector<WhatsAppMessageRecord>& messages);
/// The messages of a chat as text-file lines.
std::vector<ChatLine> whatsAppTextLines(const std::vector<WhatsAppMessageRecord>& messages);

/// Writes the chat page for `summary` from the WhatsApp template (see writeChatHtml).
Status writeWhatsAppChatHtml(const std::filesystem::path& wanted, const HtmlTemplate& whatsAppTemplate,
                             const WhatsAppMessageRecord& summary,
                             const std::vector<WhatsAppMessageRecord>& messages,
                             const ProgressSink& progress);

/// The CSV text of a chat: byte-order mark, header line, one line per message.
std::string whatsAppChatCsv(const std::vector<WhatsAppMessageRecord>& messages);

} // namespace orvelle
