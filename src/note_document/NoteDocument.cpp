#include "note_document/NoteDocument.h"

#include "core/Text.h"
#include "note_document.pb.h"

#include <algorithm>
#include <climits>
#include <zlib.h>

namespace orvelle {

namespace {

constexpr unsigned char kGzipMagic0 = 0x1f;
constexpr unsigned char kGzipMagic1 = 0x8b;
/// zlib's window bits for a gzip stream only (15 + 16).
constexpr int kGzipWindowBits = 15 + 16;
/// Output is grown in steps of this size, so a stream that claims much and
/// holds little never reserves much.
constexpr std::size_t kInflateStep = 64 * 1024;
/// U+FFFC OBJECT REPLACEMENT CHARACTER in UTF-8: where an attachment stands.
constexpr std::string_view kAttachmentMark = "\xEF\xBF\xBC";

/// Ends a zlib stream on every way out.
class InflateStream {
public:
    InflateStream() = default;
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    ~InflateStream() {
        if (m_open) inflateEnd(&m_stream);
    }
    bool open() {
        m_open = inflateInit2(&m_stream, kGzipWindowBits) == Z_OK;
        return m_open;
    }
    z_stream& stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_open = false;
};

std::string validText(const std::string& bytes) {
    return isValidUtf8(bytes) ? bytes : std::string();
}

} // namespace

std::string_view noteDocumentStatusText(NoteDocumentStatus status) {
    switch (status) {
    case NoteDocumentStatus::ok:
        return "ok";
    case NoteDocumentStatus::notGzip:
        return "not a gzip stream";
    case NoteDocumentStatus::truncated:
        return "gzip stream cut short";
    case NoteDocumentStatus::corrupt:
        return "gzip stream damaged";
    case NoteDocumentStatus::tooLarge:
        return "note document too large";
    case NoteDocumentStatus::notMessage:
        return "not a note document";
    case NoteDocumentStatus::badText:
        return "note text is not UTF-8";
    }
    return "unknown";
}

NoteDocumentStatus inflateGzip(std::string_view gzipped, std::string& out, std::size_t maxInflated) {
    out.clear();
    if (gzipped.size() < 2 || static_cast<unsigned char>(gzipped[0]) != kGzipMagic0 ||
        static_cast<unsigned char>(gzipped[1]) != kGzipMagic1)
        return NoteDocumentStatus::notGzip;
    // zlib counts input in 32-bit units; a note document is never near that.
    if (gzipped.size() > UINT_MAX) return NoteDocumentStatus::tooLarge;
    InflateStream inflater;
    if (!inflater.open()) return NoteDocumentStatus::corrupt;
    z_stream& stream = inflater.stream();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gzipped.data()));
    stream.avail_in = static_cast<uInt>(gzipped.size());
    std::string inflated;
    for (;;) {
        if (inflated.size() - stream.total_out == 0) {
            // The output is full: grow it by a step, never past the cap (+1 so
            // that a stream of exactly the cap's size still ends).
            const std::size_t used = stream.total_out;
            if (used > maxInflated) return NoteDocumentStatus::tooLarge;
            const std::size_t grown = std::min(used + kInflateStep, maxInflated + 1);
            inflated.resize(grown);
            stream.next_out = reinterpret_cast<Bytef*>(inflated.data() + used);
            stream.avail_out = static_cast<uInt>(grown - used);
        }
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (stream.total_out > maxInflated) return NoteDocumentStatus::tooLarge;
        if (result == Z_STREAM_END) break;
        if (result == Z_OK) continue;
        if (result == Z_BUF_ERROR) {
            if (stream.avail_in == 0) return NoteDocumentStatus::truncated;
            if (stream.avail_out == 0) continue;
            return NoteDocumentStatus::corrupt;
        }
        // Z_DATA_ERROR (bad deflate data, header or check), Z_MEM_ERROR, Z_NEED_DICT.
        return NoteDocumentStatus::corrupt;
    }
    inflated.resize(stream.total_out);
    out = std::move(inflated);
    return NoteDocumentStatus::ok;
}

NoteDocumentStatus readNoteDocument(std::string_view gzipped, NoteDocument& out, std::size_t maxInflated) {
    out = {};
    std::string content;
    if (const auto status = inflateGzip(gzipped, content, maxInflated); status != NoteDocumentStatus::ok)
        return status;
    if (content.size() > static_cast<std::size_t>(INT_MAX)) return NoteDocumentStatus::tooLarge;
    notes::NoteStoreProto message;
    if (!message.ParseFromArray(content.data(), static_cast<int>(content.size())) ||
        !message.has_document() || !message.document().has_note())
        return NoteDocumentStatus::notMessage;
    const notes::Note& note = message.document().note();
    if (!isValidUtf8(note.note_text())) return NoteDocumentStatus::badText;
    NoteDocument document;
    document.text = note.note_text();
    for (const notes::AttributeRun& run : note.attribute_run()) {
        if (!run.has_attachment_info()) continue;
        const notes::AttachmentInfo& info = run.attachment_info();
        document.attachments.push_back({validText(info.attachment_identifier()), validText(info.type_uti())});
    }
    out = std::move(document);
    return NoteDocumentStatus::ok;
}

std::string noteTextWithAttachments(const NoteDocument& document,
                                    const std::function<std::string(const NoteAttachmentRef&)>& label) {
    std::string text;
    text.reserve(document.text.size());
    std::size_t next = 0; // the next attachment to place
    std::size_t start = 0;
    for (std::size_t at = document.text.find(kAttachmentMark); at != std::string::npos;
         at = document.text.find(kAttachmentMark, start)) {
        text.append(document.text, start, at - start);
        if (next < document.attachments.size()) text += label(document.attachments[next++]);
        start = at + kAttachmentMark.size();
    }
    text.append(document.text, start, std::string::npos);
    for (; next < document.attachments.size(); ++next) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += label(document.attachments[next]);
    }
    return text;
}

} // namespace orvelle
