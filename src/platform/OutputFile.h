#pragma once
/// Files the program writes (preview copies, exports). Never used on a backup.

#include "platform/File.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace orvelle::platform {

/// A file opened for writing: created when missing and truncated, or created
/// new where nothing of that name exists. Movable, not copyable; closes on
/// destruction.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Creates or truncates `path`; `hidden` marks it hidden where the system
    /// has such a mark. False (with `ec` set) on failure.
    bool create(const std::filesystem::path& path, bool hidden, std::error_code& ec);
    /// Creates the empty file `path` only when nothing of that name exists, so
    /// that no file is ever replaced. False with `ec` set otherwise
    /// (std::errc::file_exists when the name is taken).
    bool createNew(const std::filesystem::path& path, std::error_code& ec);
    bool isOpen() const { return m_handle != -1; }
    /// Files this object creates or truncates from now on are open to the
    /// current user alone: mode 0600 whatever the umask (a file that existed
    /// is given that mode too); on Windows an access list for the user alone.
    /// For decrypted copies of the owner's data.
    void setPrivateToUser(bool privateToUser) { m_privateToUser = privateToUser; }
    /// Closes the file; false with `ec` set when the last writes failed.
    bool close(std::error_code& ec);

    /// Writes all `length` bytes at `offset`. False with `ec` set on failure.
    bool writeAt(std::uint64_t offset, const void* data, std::size_t length, std::error_code& ec);
    /// Copies `length` bytes at `offset` of `in` to the same offset of this
    /// file inside the system, without passing them through the program.
    /// False when the system cannot (or the copy fails or comes up short):
    /// the caller then reads and writes the bytes itself.
    bool copyFrom(const InputFile& in, std::uint64_t offset, std::size_t length);

private:
    /// Opens `path` for writing: created when missing and truncated when
    /// `replace`, otherwise created only where nothing of that name exists.
    bool openWith(const std::filesystem::path& path, bool replace, bool hidden, std::error_code& ec);
    /// The system's handle, as in InputFile; -1 when closed.
    std::intptr_t m_handle = -1;
    bool m_privateToUser = false;
};

/// Deletes the file `path`; true when it is gone afterwards.
bool removeFile(const std::filesystem::path& path);

} // namespace orvelle::platform
