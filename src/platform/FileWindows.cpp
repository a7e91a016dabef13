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

} // namespace

bool InputFile::open(const std::filesystem::path& path, std::error_code& ec) {
    close();
    const std::wstring name = windows::longPath(path);
    // Others may go on reading, writing or renaming the file (a backup that
    // the system's own sync is updating): we only ever read.
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder refuses to open without backup semantics; say what it is.
        ec = error == ERROR_ACCESS_DENIED && isFolder(name) ? std::make_error_code(std::errc::is_a_directory)
                                                            : windows::errorCode(error);
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

} // namespace orvelle::platform

#endif
