#ifdef _WIN32

#include "platform/RunLock.h"

#include "platform/WindowsInternal.h"

#include <windows.h>

#include <aclapi.h>
#include <string>
#include <vector>

namespace orvelle::platform {

namespace {

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

// An exclusive lock on the marker's first byte. Locks belong to the handle,
// so a second handle in this same process (a second store) sees it held; the
// system drops it when the process ends.
bool lockNow(HANDLE file) {
    OVERLAPPED at{};
    return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

} // namespace

RunLock::~RunLock() {
    release();
}

bool RunLock::create(const std::filesystem::path& folder, std::string_view markerName, std::error_code& ec) {
    release();
    const std::wstring marker = windows::longPath(folder / std::filesystem::path(windows::widen(markerName)));
    const std::wstring pending = marker + L".new";
    std::vector<unsigned char> security = windows::userOnlySecurity();
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), security.empty() ? nullptr : security.data(),
                                   FALSE};
    // Shared for deletion so that the rename below may move the open file.
    const HANDLE file = ::CreateFileW(pending.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &attributes,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ec = windows::lastError();
        return false;
    }
    // Locked under a name no later run looks at, then renamed: the lock
    // stays with the open handle across the rename.
    if (!lockNow(file) || !::MoveFileExW(pending.c_str(), marker.c_str(), 0)) {
        ec = windows::lastError();
        ::CloseHandle(file);
        ::DeleteFileW(pending.c_str());
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    ec.clear();
    return true;
}

bool RunLock::takeOver(const std::filesystem::path& marker) {
    release();
    const std::wstring name = windows::longPath(marker);
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ | READ_CONTROL,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool regular = ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
                         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                                   FILE_ATTRIBUTE_DEVICE)) == 0;
    const bool ours = regular &&
                      ::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                        nullptr, &descriptor) == ERROR_SUCCESS &&
                      windows::isCurrentUser(owner);
    if (descriptor) ::LocalFree(descriptor);
    if (!ours || !lockNow(file)) {
        ::CloseHandle(file);
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

void RunLock::release() {
    if (m_handle == -1) return;
    OVERLAPPED at{};
    ::UnlockFileEx(handleOf(m_handle), 0, 1, 0, &at);
    ::CloseHandle(handleOf(m_handle));
    m_handle = -1;
}

} // namespace orvelle::platform

#endif
