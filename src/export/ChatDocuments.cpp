#include "export/ChatDocuments.h"

#include "export/HtmlText.h"
#include "export/RelativeLink.h"
#include "export/SafeFileName.h"
#include "platform/OutputFile.h"

#include <cstdint>

namespace orvelle {

namespace {

/// Writes `content` into the new file `file` and closes it.
Status writeContent(platform::OutputFile& file, std::string_view content) {
    std::error_code ec;
    if (file.writeAt(0, content.data(), content.size(), ec) && file.close(ec)) return kStatusOk;
    return ec ? static_cast<Status>(ec.value()) : kStatusInvalid;
}

/// "%10s: %s\n": the label right-aligned in ten characters.
void appendLabelled(std::string& out, std::string_view label, std::string_view value) {
    if (label.size() < 10) out.append(10 - label.size(), ' ');
    out += label;
    out += ": ";
    out += value;
    out += '\n';
}

/// The attachment part of a bubble.
std::string attachmentHtml(const ChatLine& line) {
    if (line.attachmentName.empty()) return {};
    const std::string name = htmlEscape(line.attachmentName);
    if (line.attachmentLink.empty()) return "<span class=\"attachment missing\">Attachment: " + name + "</span>";
    const std::string link = htmlEscape(line.attachmentLink);
    if (isBrowserPicture(line.attachmentLink))
        return "<a class=\"attachment\" href=\"" + link + "\"><img src=\"" + link + "\" alt=\"" + name +
               "\" loading=\"lazy\"></a>";
    return "<a class=\"attachment\" href=\"" + link + "\">" + name + "</a>";
}

} // namespace

std::string chatBlockHtml(const ChatLine& line) {
    std::string block = "<div class=\"date\">Date: ";
    block += htmlEscape(line.date);
    block += ' ';
    block += line.fromMe ? std::string("Me") : htmlEscape(line.sender);
    block += ":</div>\r\n<div class=\"";
    if (line.deleted) block += "del_";
    block += line.fromMe ? "send_msg" : "recv_msg";
    block += "\">";
    block += htmlEscape(line.text);
    if (!line.attachmentName.empty()) {
        if (!line.text.empty()) block += "<br>";
        block += attachmentHtml(line);
    }
    block += "</div>\r\n";
    return block;
}

Status writeChatHtml(const std::filesystem::path& wanted, std::string_view head, std::string_view tail,
                     const std::vector<ChatLine>& lines, const ProgressSink& progress,
                     std::filesystem::path* written) {
    std::filesystem::path path;
    platform::OutputFile file;
    Status status = createUniqueFile(wanted, path, file);
    if (written) *written = path;
    if (status != kStatusOk) {
        progress(100, status, path);
        return status;
    }
    std::string page(head);
    const std::uint64_t count = lines.size();
    bool stopped = false;
    for (std::uint64_t i = 0; i < count && !stopped; ++i) {
        page += chatBlockHtml(lines[i]);
        // The last block's report waits until the file is written, so that it carries the result.
        if (i + 1 < count) stopped = progress(static_cast<int>((i + 1) * 100 / count), kStatusOk, path) != 0;
    }
    page += tail;
    status = writeContent(file, page);
    if (!stopped) progress(100, status, path);
    return stopped ? kStatusStopped : status;
}

std::string attachmentFileName(std::string_view devicePath) {
    const auto slash = devicePath.rfind('/');
    return std::string(slash == std::string_view::npos ? devicePath : devicePath.substr(slash + 1));
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

Status writeNewDocument(const std::filesystem::path& wanted, std::string_view content,
                        std::filesystem::path* written) {
    std::filesystem::path path;
    platform::OutputFile file;
    Status status = createUniqueFile(wanted, path, file);
    if (written) *written = path;
    return status == kStatusOk ? writeContent(file, content) : status;
}

Status writeChatText(const std::filesystem::path& wanted, const std::vector<ChatLine>& lines,
                     std::filesystem::path* written) {
    std::string text;
    for (const ChatLine& line : lines) {
        appendLabelled(text, line.fromMe ? "To" : "From", line.sender);
        appendLabelled(text, "Date", line.date);
        appendLabelled(text, "Content", line.text);
        if (!line.attachmentName.empty()) appendLabelled(text, "Attachment", line.attachmentName);
        if (line.deleted) appendLabelled(text, "Status", "Deleted");
        text += '\n';
    }
    return writeNewDocument(wanted, std::string(kUtf8Bom) + withCrLf(text), written);
}

} // namespace orvelle
