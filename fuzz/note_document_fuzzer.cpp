// libFuzzer target: the note document reader of the Notes app's store. An
// input that starts with the gzip magic is read as stored; any other input is
// taken as the document's content and compressed here first, so that the
// protocol-buffer parser sees the fuzzer's bytes rather than mostly failing
// gzip checks.

#include "note_document/NoteDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <zlib.h>

namespace {

// Small enough that an input inflating to the cap stays quick to run.
constexpr std::size_t kFuzzCap = std::size_t(4) << 20;

std::string compressed(std::string_view content) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool gzipped = size >= 2 && data[0] == 0x1f && data[1] == 0x8b;
    const std::string stream = gzipped ? std::string(input) : compressed(input);
    orvelle::NoteDocument document;
    const auto status = orvelle::readNoteDocument(stream, document, kFuzzCap);
    if (status == orvelle::NoteDocumentStatus::ok) {
        const std::string text =
            orvelle::noteTextWithAttachments(document, [](const orvelle::NoteAttachmentRef& ref) {
                return "[" + ref.typeUti + ":" + ref.identifier + "]";
            });
        volatile std::size_t sink = text.size();
        (void)sink;
    } else if (!document.text.empty() || !document.attachments.empty()) {
        std::abort(); // a refused document leaves nothing behind
    }
    return 0;
}
