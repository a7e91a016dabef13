#pragma once
/// The Notes app's note document (NoteStore.sqlite, ZICNOTEDATA.ZDATA, iOS 9
/// and later): a gzip stream whose content is a protocol-buffer message. The
/// reader inflates it with a cap on the inflated size and takes the note's
/// text and the attachments its attribute runs name. Nothing in the bytes is
/// trusted: a stream that is not gzip, breaks off, fails its check or grows
/// past the cap, and a message that does not parse, each give their own
/// status, never a crash and never a partial document.
///
/// | bytes      | meaning                                              |
/// |------------|------------------------------------------------------|
/// | 0-1        | gzip magic 1f 8b                                     |
/// | 2          | method 8 (deflate)                                   |
/// | ...        | deflate stream, CRC-32 and size of the content       |
///
/// The content, as protocol-buffer field numbers (only these are read):
///
/// | message        | field | meaning                                        |
/// |----------------|-------|------------------------------------------------|
/// | NoteStoreProto | 2     | Document                                       |
/// | Document       | 3     | Note                                           |
/// | Note           | 2     | the text (UTF-8); an attachment stands in it as U+FFFC |
/// | Note           | 5     | attribute runs, in text order                  |
/// | AttributeRun   | 12    | AttachmentInfo of the run's attachment         |
/// | AttachmentInfo | 1, 2  | the attachment's identifier and type UTI       |

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

/// The most a note document may inflate to. Real notes are a few kilobytes;
/// a stream that inflates further is taken as damaged (or hostile).
constexpr std::size_t kMaxNoteDocumentSize = std::size_t(64) << 20;

enum class NoteDocumentStatus : std::uint8_t {
    ok,
    notGzip,    ///< no gzip magic, or a header zlib rejects
    truncated,  ///< the stream ends before its end marker and check
    corrupt,    ///< the deflate data or its CRC-32 / size check is wrong
    tooLarge,   ///< it inflates past the cap
    notMessage, ///< the content is not a note document message
    badText,    ///< the note's text is not UTF-8
};

/// A short English description of `status` ("ok", "not a gzip stream", ...).
std::string_view noteDocumentStatusText(NoteDocumentStatus status);

/// An attachment that a run of the note's text points to.
struct NoteAttachmentRef {
    std::string identifier; ///< ZIDENTIFIER of the attachment's row; empty when absent or not UTF-8
    std::string typeUti;    ///< e.g. "public.jpeg"; empty when absent or not UTF-8
};

struct NoteDocument {
    std::string text;                           ///< UTF-8, as stored (attachments as U+FFFC)
    std::vector<NoteAttachmentRef> attachments; ///< in text order
};

/// Inflates the gzip stream `gzipped` into `out` (cleared first; left empty
/// unless the answer is ok). Bytes after the first member's end are ignored.
NoteDocumentStatus inflateGzip(std::string_view gzipped, std::string& out,
                               std::size_t maxInflated = kMaxNoteDocumentSize);

/// Reads a note document: inflates it and parses the message. `out` is
/// cleared first and filled only when the answer is ok.
NoteDocumentStatus readNoteDocument(std::string_view gzipped, NoteDocument& out,
                                    std::size_t maxInflated = kMaxNoteDocumentSize);

/// The text with each U+FFFC replaced, in order, by `label` of the matching
/// attachment; attachments left over (more runs than placeholders) follow at
/// the end, one per line. A placeholder without an attachment is dropped.
std::string noteTextWithAttachments(const NoteDocument& document,
                                    const std::function<std::string(const NoteAttachmentRef&)>& label);

} // namespace orvelle
