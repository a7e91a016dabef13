#ifdef _WIN32

#include "platform/OutputFile.h"

#include "platform/WindowsInternal.h"

#include <windows.h>

#include <aclapi.h>
#include <vector>

namespace orvelle::platform {

namespace {

HANDLE handleOf(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

// One WriteFile moves at most this much; larger writes loop.
constexpr DWORD kMaxWriteChunk = 1u << 30;

// Gives the open file the access list of `security` (see userOnlySecurity).
bool restrictToUser(HANDLE file, std::vector<unsigned char>& security) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    if (!::GetSecurityDescriptorDacl(security.data(), &present, &list, &defaulted) || !present) return false;
    return ::SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             nullptr, nullptr, list, nullptr) == ERROR_SUCCESS;
}

} // namespace

bool OutputFile::openWith(const std::filesystem::path& path, bool replace, bool hidden, std::error_code& ec) {
    close(ec);
    const std::wstring name = windows::longPath(path);
    // OPEN_ALWAYS and an explicit truncation rather than CREATE_ALWAYS: the
    // latter refuses to replace a hidden file unless asked to make it hidden.
    const DWORD disposition = replace ? OPEN_ALWAYS : CREATE_NEW;
    const DWORD attributes = hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
    // Shared for writing too, as a POSIX file is: an export source may write
    // the new file by its name while the export still holds it open.
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    std::vector<unsigned char> security;
    SECURITY_ATTRIBUTES privateAttributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    if (m_privateToUser) {
        security = windows::userOnlySecurity();
        if (security.empty()) {
            ec = windows::errorCode(ERROR_ACCESS_DENIED);
            return false;
        }
        privateAttributes.lpSecurityDescriptor = security.data();
    }
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE | (m_privateToUser ? WRITE_DAC : 0), sharing,
                                      m_privateToUser ? &privateAttributes : nullptr, disposition, attributes,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ec = windows::lastError();
        return false;
    }
    const bool existed = replace && ::GetLastError() == ERROR_ALREADY_EXISTS;
    // The attributes given above apply to a new file only.
    if (existed && m_privateToUser && !restrictToUser(file, security)) {
        ec = windows::errorCode(ERROR_ACCESS_DENIED);
        ::CloseHandle(file);
        return false;
    }
    if (existed && !::SetEndOfFile(file)) {
        ec = windows::lastError();
        ::CloseHandle(file);
        return false;
    }
    if (existed && hidden) {
        const DWORD now = ::GetFileAttributesW(name.c_str());
        if (now != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(name.c_str(), now | FILE_ATTRIBUTE_HIDDEN);
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    ec.clear();
    return true;
}

bool OutputFile::close(std::error_code& ec) {
    ec.clear();
    if (m_handle == -1) return true;
    const bool ok = ::CloseHandle(handleOf(m_handle)) != 0;
    m_handle = -1;
    if (!ok) {
        ec = windows::lastError();
        return false;
    }
    return true;
}

bool OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t length, std::error_code& ec) {
    ec.clear();
    if (m_handle == -1) {
        ec = std::make_error_code(std::errc::bad_file_descriptor);
        return false;
    }
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < length) {
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const std::size_t left = length - done;
        const DWORD want = left > kMaxWriteChunk ? kMaxWriteChunk : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(handleOf(m_handle), in + done, want, &written, &position)) {
            ec = windows::lastError();
            return false;
        }
        if (written == 0) {
            ec = windows::errorCode(ERROR_WRITE_FAULT);
            return false;
        }
        done += written;
    }
    return true;
}

bool OutputFile::copyFrom(const InputFile& in, std::uint64_t offset, std::size_t length) {
    // Windows has no ranged copy between two open handles: the caller copies.
    (void)in, (void)offset, (void)length;
    return false;
}

bool removeFile(const std::filesystem::path& path) {
    const std::wstring name = windows::longPath(path);
    if (::DeleteFileW(name.c_str())) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    // A read-only file refuses deletion until the mark is taken off.
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           ::SetFileAttributesW(name.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) &&
           ::DeleteFileW(name.c_str());
}

} // namespace orvelle::platform

#endif
