#pragma once
/// Copies a stored file out of a backup in 64 KiB chunks, each read at its
/// explicit offset, reporting after every chunk:
///
///   function(context, copied x 100 / size, status, destination)
///
/// where status is 0, or the system's error code when writing the chunk
/// failed. The answer becomes the copy's status: non-zero stops the copy, 0
/// goes on (a write error answered with 0 does not stop it). A failed read
/// stops the copy with the read's code. When the copy ends with a positive
/// status a closing call function(context, 100, status, destination)
/// follows. A file that cannot be opened (either side) gives kStatusInvalid
/// and only the closing call; a source that is no regular file (a FIFO,
/// device, socket or link) gives kStatusNotRegularFile the same way. An
/// empty source gives an empty destination, result 0 and no report.

#include "backup/ScanSource.h"
#include "core/Status.h"
#include "platform/OutputFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace orvelle {

constexpr std::size_t kCopyChunkBytes = 64 * 1024;

/// Reads up to `length` bytes at `offset` into `buffer`; returns 0 and the
/// count read, or a non-zero error code.
using ChunkReader =
    std::function<Status(std::uint64_t offset, void* buffer, std::size_t length, std::size_t& got)>;
/// Writes `length` bytes at `offset`; returns 0 or the system's error code.
using ChunkWriter = std::function<Status(std::uint64_t offset, const void* data, std::size_t length)>;

/// Copies `length` bytes at `offset` from the source straight to the
/// destination where the system can; false when it cannot, and the chunk is
/// then read and written (which also tells a failed read from a failed write).
using ChunkCopier = std::function<bool(std::uint64_t offset, std::size_t length)>;

/// The chunk loop over a source of `size` bytes with the reporting rules
/// above (the closing call included); `direct` is tried first for each chunk.
Status copyChunks(std::uint64_t size, const ChunkReader& read, const ChunkWriter& write,
                  CopyProgressFn function, void* context, const std::filesystem::path& destination,
                  const ChunkCopier& direct = {});

/// Copies `source` to `destination` (its folder created with all parents;
/// the file created when missing, else truncated).
Status copyStoredFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                      CopyProgressFn function, void* context);

/// Copies `source` into `out`, a file the caller has just created (empty) at
/// `destination`, and closes it; reports as copyStoredFile does.
Status copyStoredFileInto(const std::filesystem::path& source, platform::OutputFile& out,
                          const std::filesystem::path& destination, CopyProgressFn function, void* context);

} // namespace orvelle
