#pragma once
/// The files of one exported WhatsApp chat: its page, its text file and its
/// CSV file (columns Chats, Name/Phone, Date, Type, Content).

#include "core/ItemRecords.h"
#include "export/ChatDocuments.h"
#include "export/ExportTemplates.h"
#include "export/ExportedFiles.h"

namespace orvelle {

/// The media item a WhatsApp message carries (the decoder puts its device
/// path in place of the text); empty when it carries none.
std::string_view whatsAppMediaPath(const WhatsAppMessageRecord& message);

/// The messages of a chat as page lines (a received message names its
/// sender; a media item is shown as an attachment instead of its path). With
/// `copies`, an attachment links to its copy, seen from a page in `pageFolder`.
std::vector<ChatLine> whatsAppPageLines(const std::vector<WhatsAppMessageRecord>& messages,
                                        const ExportedFiles* copies = nullptr,
                                        const std::filesystem::path& pageFolder = {});
/// The messages of a chat as text-file lines.
std::vector<ChatLine> whatsAppTextLines(const std::vector<WhatsAppMessageRecord>& messages);

/// Writes the chat page for `summary` from the WhatsApp template (see writeChatHtml).
Status writeWhatsAppChatHtml(const std::filesystem::path& wanted, const HtmlTemplate& whatsAppTemplate,
                             const WhatsAppMessageRecord& summary,
                             const std::vector<WhatsAppMessageRecord>& messages,
                             const ProgressSink& progress, const ExportedFiles* copies = nullptr,
                            std::filesystem::path* written = nullptr);

/// The CSV text of a chat: byte-order mark, header line, one line per
/// message (columns Chats, Name/Phone, Date, Type, Content, Deleted).
std::string whatsAppChatCsv(const std::vector<WhatsAppMessageRecord>& messages);

} // namespace orvelle
