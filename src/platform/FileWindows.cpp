#ifdef _WIN32

#include "platform/File.h"

#include "platform/WindowsInternal.h"

#include <windows.h>

namespace orvelle::platform {

namespace {

HANDLE handleOf(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

// One ReadFile moves at most this much; larger reads loop.
constexpr DWORD kMaxReadChunk = 1u << 30;

bool isFolder(const std::wstring& name) {
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

/// Opens `name` for reading; with `reparsePoint` a link is opened itself
/// instead of what it leads to.
HANDLE openForReading(const std::wstring& name, bool reparsePoint) {
    // Others may go on reading, writing or renaming the file (a backup that
    // the system's own sync is updating): we only ever read.
    return ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | (reparsePoint ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
}

/// True when the open handle is a link of some kind (symbolic link, junction,
/// ...): a reparse point whose tag stands for another name. Other reparse
/// points (deduplicated or cloud files) are files of their own.
bool isLink(HANDLE file) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag))
        return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
               IsReparseTagNameSurrogate(tag.ReparseTag);
    // Where the tag cannot be asked for, every reparse point counts as a link.
    BY_HANDLE_FILE_INFORMATION info{};
    return !::GetFileInformationByHandle(file, &info) ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

/// True when the open handle is a file on a disk, not a folder, device or pipe.
bool isRegular(HANDLE file) {
    if (::GetFileType(file) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return false;
    return (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

} // namespace

bool InputFile::open(const std::filesystem::path& path, std::error_code& ec, LinkRule links) {
    close();
    const std::wstring name = windows::longPath(path);
    const bool refuseLinks = links == LinkRule::refuse;
    HANDLE file = openForReading(name, refuseLinks);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder refuses to open without backup semantics; say what it is.
        if (error == ERROR_ACCESS_DENIED && isFolder(name))
            ec = FileRefusal::notRegularFile;
        else
            ec = windows::errorCode(error);
        return false;
    }
    if (refuseLinks) {
        if (isLink(file)) {
            ::CloseHandle(file);
            ec = FileRefusal::notRegularFile;
            return false;
        }
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) &&
            (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            // A reparse point that names no other file: open it as the file
            // system presents it, so that its bytes are read, not its tag;
            // it must still be the same file (not a link put in its place).
            const HANDLE presented = openForReading(name, false);
            BY_HANDLE_FILE_INFORMATION first{}, second{};
            const bool same =
                presented != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(file, &first) &&
                ::GetFileInformationByHandle(presented, &second) &&
                first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
                first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
            ::CloseHandle(file);
            if (!same) {
                if (presented != INVALID_HANDLE_VALUE) ::CloseHandle(presented);
                ec = FileRefusal::notRegularFile;
                return false;
            }
            file = presented;
        }
    }
    if (!isRegular(file)) {
        ::CloseHandle(file);
        ec = FileRefusal::notRegularFile;
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    ec.clear();
    return true;
}

void InputFile::close() {
    if (m_handle != -1) ::CloseHandle(handleOf(m_handle));
    m_handle = -1;
}

std::uint64_t InputFile::size(std::error_code& ec) const {
    LARGE_INTEGER size{};
    if (m_handle == -1 || !::GetFileSizeEx(handleOf(m_handle), &size)) {
        ec = m_handle == -1 ? std::make_error_code(std::errc::bad_file_descriptor) : windows::lastError();
        return 0;
    }
    ec.clear();
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t length, std::error_code& ec) const {
    ec.clear();
    if (m_handle == -1) {
        ec = std::make_error_code(std::errc::bad_file_descriptor);
        return 0;
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        // The offset travels with each call, so reads from several threads
        // on one handle do not disturb each other.
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const std::size_t left = length - done;
        const DWORD want = left > kMaxReadChunk ? kMaxReadChunk : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(handleOf(m_handle), out + done, want, &got, &position)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_HANDLE_EOF) ec = windows::errorCode(error);
            break;
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

bool isRegularFile(const std::filesystem::path& path) {
    const std::wstring name = windows::longPath(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    // A link: ask about what it leads to.
    const HANDLE target = ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(target, &info) != 0;
    ::CloseHandle(target);
    return ok && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool pathExists(const std::filesystem::path& path) {
    // Attributes are those of the name itself: a link counts, wherever it leads.
    return ::GetFileAttributesW(windows::longPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace orvelle::platform

#endif
