#pragma once
/// Files: positioned reads of a file opened read-only, whole-file reads and
/// writes. Backups are only ever opened through InputFile (read-only).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace orvelle::platform {

/// A file opened for reading only. Movable, not copyable; closes on destruction.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// Opens `path` read-only. False (with `ec` set) when it cannot be opened.
    bool open(const std::filesystem::path& path, std::error_code& ec);
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

/// Reads the whole file into `out`. False with `ec` set on failure.
bool readWholeFile(const std::filesystem::path& path, std::string& out, std::error_code& ec);

/// Writes `data` to `path`, replacing it. False with `ec` set on failure.
bool writeWholeFile(const std::filesystem::path& path, std::string_view data, std::error_code& ec);

/// True when `path` names an existing regular file (links followed).
bool isRegularFile(const std::filesystem::path& path);

} // namespace orvelle::platform
