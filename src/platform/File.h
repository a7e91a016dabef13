#pragma once
/// Files: positioned reads of a file opened read-only, whole-file reads and
/// writes. Backups are only ever opened through InputFile (read-only).
///
/// Only regular files are opened: a FIFO would block the reader for good, a
/// device or socket has no bytes of a backup. A file inside a backup is
/// opened without following a link, so that a stored "file" that is a link
/// cannot lead the reader to a file outside the backup; a path the user
/// names (a loose database, the program's own files) may be a link.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace orvelle::platform {

/// Why the platform layer refused a path. The values lie far above the
/// system's error numbers, so that a status carrying one (ec.value()) keeps
/// its meaning; core/Status.h names the same numbers.
enum class FileRefusal : int {
    /// A FIFO, device, socket, folder, or a link that was not to be followed.
    notRegularFile = 20001,
    /// A folder to be written into is a link (a reparse point on Windows) or
    /// not a folder at all.
    linkedFolder = 20002,
};

/// The category of FileRefusal codes ("orvelle.file").
const std::error_category& fileRefusalCategory();
std::error_code make_error_code(FileRefusal refusal);

/// True when `ec` is the refusal of something that is not a regular file.
bool isNotRegularFile(const std::error_code& ec);

/// Whether the last component of a path may be a link.
enum class LinkRule {
    refuse, ///< files of a backup: a link is refused like a FIFO
    follow, ///< a path the user named: their own link is fine
};

/// A file opened for reading only. Movable, not copyable; closes on destruction.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// Opens `path` read-only, never blocking. False (with `ec` set) when it
    /// cannot be opened; FileRefusal::notRegularFile when it is not a regular
    /// file, or is a link and `links` is LinkRule::refuse. Only the last
    /// component counts: the folders on the way may be links.
    bool open(const std::filesystem::path& path, std::error_code& ec, LinkRule links = LinkRule::refuse);
    bool isOpen() const { return m_handle != -1; }
    void close();

    /// Size in bytes at the time of the call.
    std::uint64_t size(std::error_code& ec) const;

    /// Reads up to `length` bytes at `offset`; returns the count read (short
    /// only at end of file or on error, with `ec` set on error).
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length, std::error_code& ec) const;

private:
    friend class OutputFile; // copies between two open files inside the system
    /// The system's handle: a file descriptor on POSIX systems, a HANDLE on
    /// Windows; -1 (INVALID_HANDLE_VALUE there) when closed.
    std::intptr_t m_handle = -1;
};

/// Reads the whole file into `out`, opened as InputFile::open does. False
/// with `ec` set on failure.
bool readWholeFile(const std::filesystem::path& path, std::string& out, std::error_code& ec,
                   LinkRule links = LinkRule::refuse);

/// Writes `data` to `path`, replacing it. False with `ec` set on failure.
bool writeWholeFile(const std::filesystem::path& path, std::string_view data, std::error_code& ec);

/// True when `path` names an existing regular file (links followed).
bool isRegularFile(const std::filesystem::path& path);

/// True when something of the name `path` exists, whatever it is (a link
/// counts, even one that leads nowhere). For telling a missing file from one
/// that InputFile::open refuses.
bool pathExists(const std::filesystem::path& path);

} // namespace orvelle::platform

template <> struct std::is_error_code_enum<orvelle::platform::FileRefusal> : std::true_type {};
