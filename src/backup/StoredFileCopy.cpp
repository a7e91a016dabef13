#include "backup/StoredFileCopy.h"

#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/OutputFile.h"

#include <vector>

namespace orvelle {

namespace {

Status errorStatus(const std::error_code& ec, Status fallback) {
    return ec && ec.value() != 0 ? ec.value() : fallback;
}

/// The status of a source that could not be opened.
Status openStatus(const std::error_code& ec) {
    return platform::isNotRegularFile(ec) ? kStatusNotRegularFile : kStatusInvalid;
}

int call(CopyProgressFn function, void* context, int percent, Status status,
         const std::filesystem::path& path) {
    return function ? function(context, percent, status, path) : 0;
}

/// The closing call of a copy that ended with a positive status.
Status finish(Status status, CopyProgressFn function, void* context,
              const std::filesystem::path& destination) {
    if (status > 0) call(function, context, 100, status, destination);
    return status;
}

} // namespace

Status copyChunks(std::uint64_t size, const ChunkReader& read, const ChunkWriter& write,
                  CopyProgressFn function, void* context, const std::filesystem::path& destination,
                  const ChunkCopier& direct) {
    std::vector<unsigned char> buffer;
    std::uint64_t copied = 0;
    while (copied < size) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunkBytes, size - copied));
        Status written = kStatusOk;
        if (!direct || !direct(copied, want)) {
            buffer.resize(kCopyChunkBytes);
            std::size_t got = 0;
            Status status = read(copied, buffer.data(), want, got);
            if (status == kStatusOk && got != want) status = kStatusShortRead;
            if (status != kStatusOk) return finish(status, function, context, destination);
            written = write(copied, buffer.data(), got);
        }
        copied += want;
        // size > 0 here, and copied <= size, so the quotient fits in an int.
        const int percent = static_cast<int>(copied * 100 / size);
        const int answer = call(function, context, percent, written, destination);
        if (answer != 0) return finish(answer, function, context, destination);
    }
    return kStatusOk;
}

namespace {

/// The copy between two open files; closes `out`.
Status copyOpenFiles(const platform::InputFile& in, platform::OutputFile& out,
                     const std::filesystem::path& destination, CopyProgressFn function, void* context) {
    std::error_code ec;
    const std::uint64_t size = in.size(ec);
    if (ec) return finish(kStatusInvalid, function, context, destination);
    const ChunkReader read = [&in](std::uint64_t offset, void* buffer, std::size_t length, std::size_t& got) {
        std::error_code readError;
        got = in.readAt(offset, buffer, length, readError);
        return readError ? errorStatus(readError, kStatusShortRead) : kStatusOk;
    };
    const ChunkWriter write = [&out](std::uint64_t offset, const void* data, std::size_t length) {
        std::error_code writeError;
        return out.writeAt(offset, data, length, writeError) ? kStatusOk
                                                             : errorStatus(writeError, kStatusInvalid);
    };
    const ChunkCopier direct = [&in, &out](std::uint64_t offset, std::size_t length) {
        return out.copyFrom(in, offset, length);
    };
    const Status status = copyChunks(size, read, write, function, context, destination, direct);
    std::error_code closeError;
    if (!out.close(closeError) && status == kStatusOk)
        return finish(errorStatus(closeError, kStatusInvalid), function, context, destination);
    return status;
}

} // namespace

Status copyStoredFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                      CopyProgressFn function, void* context) {
    if (destination.has_parent_path()) platform::createFolders(destination.parent_path());
    std::error_code ec;
    platform::InputFile in;
    platform::OutputFile out;
    if (!in.open(source, ec)) return finish(openStatus(ec), function, context, destination);
    if (!out.create(destination, false, ec)) return finish(kStatusInvalid, function, context, destination);
    return copyOpenFiles(in, out, destination, function, context);
}

Status copyStoredFileInto(const std::filesystem::path& source, platform::OutputFile& out,
                          const std::filesystem::path& destination, CopyProgressFn function, void* context) {
    std::error_code ec;
    platform::InputFile in;
    if (!out.isOpen() || !in.open(source, ec)) {
        const Status status = out.isOpen() ? openStatus(ec) : kStatusInvalid;
        out.close(ec);
        return finish(status, function, context, destination);
    }
    return copyOpenFiles(in, out, destination, function, context);
}

} // namespace orvelle
