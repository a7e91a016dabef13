#include "sqlite_records/ExactRead.h"

#include <algorithm>
#include <system_error>

namespace orvelle {

namespace {

// Reads are done in pieces of at most this many bytes.
constexpr std::size_t kReadPiece = 65536;

} // namespace

Status readExactly(const platform::InputFile& file, std::uint64_t offset, std::size_t length, std::uint8_t* out) {
    std::size_t done = 0;
    while (done < length) {
        const std::size_t piece = std::min(kReadPiece, length - done);
        std::error_code ec;
        const std::size_t got = file.readAt(offset + done, out + done, piece, ec);
        if (ec) return ec.value() != 0 ? ec.value() : kStatusShortRead;
        if (got == 0) return kStatusShortRead;
        done += got;
    }
    return kStatusOk;
}

} // namespace orvelle
