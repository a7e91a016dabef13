#pragma once
/// The files written for one exported chat, shared by text messages and
/// WhatsApp: the HTML page with one block per message, and the text file
/// with three labelled lines per message.

#include "core/Status.h"
#include "export/ExportSource.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

/// One message as the chat files show it.
struct ChatLine {
    bool fromMe = false;
    bool deleted = false;
    std::string date;
    std::string sender; ///< page: who sent a received message; text file: the other party
    std::string_view text;
    std::string attachmentName; ///< the file the message carries; empty when none
    std::string attachmentLink; ///< relative link from the page to the exported copy; empty when not exported
};

/// The HTML block of one message: a "date" line, then the text in a
/// "send_msg", "recv_msg", "del_send_msg" or "del_recv_msg" bubble. An
/// attachment follows the text inside the bubble: a picture browsers show
/// inline (lazy-loaded), any other exported file as a link, and a file that
/// was not exported by its name.
std::string chatBlockHtml(const ChatLine& line);

/// Writes a chat page under `wanted` (or its first free numbered name):
/// `head`, one block per line, the tail. After each block `progress` hears
/// blocks x 100 / lines (the last report, 100, comes once the file is
/// written and carries its status); an answer other than 0 stops adding
/// blocks. A file that cannot be created is reported as 100 with the error.
/// `written` receives the path used.
Status writeChatHtml(const std::filesystem::path& wanted, std::string_view head, std::string_view tail,
                     const std::vector<ChatLine>& lines, const ProgressSink& progress,
                     std::filesystem::path* written = nullptr);

/// Writes a chat text file under `wanted` (or its first free numbered name),
/// UTF-8 with a byte-order mark and CR LF line ends: per message
/// "        To: party" (or "From"), "      Date: date", "   Content: text",
/// "Attachment: name" when the message carries a file, "    Status: Deleted"
/// for a deleted message, and an empty line. Failures are not reported (the page carries the chat).
Status writeChatText(const std::filesystem::path& wanted, const std::vector<ChatLine>& lines,
                     std::filesystem::path* written = nullptr);

/// The file name of an attachment's device path (the text after its last "/").
std::string attachmentFileName(std::string_view devicePath);

/// The UTF-8 byte-order mark that starts the text and CSV files.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

/// `text` with every LF that has no CR before it turned into CR LF.
std::string withCrLf(std::string_view text);

/// Writes `content` to a new file under `wanted` (or its first free numbered name).
Status writeNewDocument(const std::filesystem::path& wanted, std::string_view content,
                        std::filesystem::path* written = nullptr);

} // namespace orvelle
