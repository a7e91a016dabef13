#pragma once
/// The files of one exported text-message chat: its page and its text file.

#include "core/ItemRecords.h"
#include "export/ChatDocuments.h"
#include "export/ExportTemplates.h"
#include "export/ExportedFiles.h"

namespace orvelle {

/// The messages of a chat as page lines (a received message names its
/// sender). With `copies`, an attachment links to its copy, seen from a
/// page in `pageFolder`.
std::vector<ChatLine> messagePageLines(const std::vector<MessageRecord>& messages,
                                       const ExportedFiles* copies = nullptr,
                                       const std::filesystem::path& pageFolder = {});
/// The messages of a chat as text-file lines (each names the other party).
std::vector<ChatLine> messageTextLines(const std::vector<MessageRecord>& messages);

/// Writes the chat page for `summary` from the Sms template (see writeChatHtml).
Status writeMessageChatHtml(const std::filesystem::path& wanted, const HtmlTemplate& smsTemplate,
                            const MessageRecord& summary, const std::vector<MessageRecord>& messages,
                            const ProgressSink& progress, const ExportedFiles* copies = nullptr,
                            std::filesystem::path* written = nullptr);

} // namespace orvelle
