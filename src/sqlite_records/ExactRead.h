#pragma once
/// Reading an exact number of bytes from a database or log file, in pieces
/// the system handles well.

#include "core/Status.h"
#include "platform/File.h"

#include <cstddef>
#include <cstdint>

namespace orvelle {

/// Reads `length` bytes at `offset` of `file` into `out`: 0, the system's
/// error, or kStatusShortRead when the file ends first.
Status readExactly(const platform::InputFile& file, std::uint64_t offset, std::size_t length, std::uint8_t* out);

} // namespace orvelle
