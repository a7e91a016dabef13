#pragma once
/// The files of one exported text-message chat: its page and its text file.

#include "core/ItemRecords.h"
#include "export/ChatDocuments.h"
#include "export/ExportTemplates.h"

namespace orvelle {

/// The messages of a chat as page lines (a received message names its sender).
std::vector<ChatLine> messagePageLines(const std::vector<MessageRecord>& messages);
/// The messages of a chat as text-file lines (each names the other party).
std::vector<ChatLine> messageTextLines(const std::vector<MessageRecord>& messages);

/// Writes the chat page for `summary` from the Sms template (see writeChatHtml).
Status writeMessageChatHtml(const std::filesystem::path& wanted, const HtmlTemplate& smsTemplate,
                            const MessageRecord& summary, const std::vector<MessageRecord>& messages,
                            const ProgressSink& progress);

} // namespace orvelle
