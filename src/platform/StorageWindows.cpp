#ifdef _WIN32

#include "platform/Storage.h"

#include "platform/WindowsInternal.h"

#include <windows.h>

namespace orvelle::platform {

std::optional<std::uint64_t> freeBytes(const std::filesystem::path& path) {
    // The system asks about a folder: for a file, or a name not made yet,
    // the nearest folder above that exists stands for its drive.
    std::filesystem::path folder = path;
    if (!folder.is_absolute()) {
        std::error_code ec;
        folder = std::filesystem::absolute(path, ec);
        if (ec) return std::nullopt;
    }
    folder = folder.lexically_normal();
    for (;;) {
        std::wstring name = windows::longPath(folder);
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if (name.back() != L'\\') name += L'\\';
            ULARGE_INTEGER available{};
            if (!::GetDiskFreeSpaceExW(name.c_str(), &available, nullptr, nullptr)) return std::nullopt;
            return static_cast<std::uint64_t>(available.QuadPart);
        }
        const std::filesystem::path parent = folder.parent_path();
        if (parent == folder || parent.empty()) return std::nullopt;
        folder = parent;
    }
}

std::vector<std::filesystem::path> scratchDriveRoots() {
    std::vector<std::filesystem::path> roots;
    std::wstring names(256, L'\0');
    DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(names.size()), names.data());
    if (length > names.size()) {
        names.assign(length, L'\0');
        length = ::GetLogicalDriveStringsW(static_cast<DWORD>(names.size()), names.data());
    }
    if (length == 0 || length > names.size()) return roots;
    // "C:\<nul>D:\<nul><nul>"
    for (std::size_t at = 0; at < length && names[at] != L'\0';) {
        const std::size_t end = names.find(L'\0', at);
        const std::wstring root = names.substr(at, end - at);
        if (::GetDriveTypeW(root.c_str()) == DRIVE_FIXED) roots.emplace_back(root);
        at = end + 1;
    }
    return roots;
}

void setHidden(const std::filesystem::path& folder) {
    const std::wstring name = windows::longPath(folder);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_HIDDEN) != 0) return;
    ::SetFileAttributesW(name.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

} // namespace orvelle::platform

#endif
