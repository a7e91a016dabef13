#ifdef _WIN32

#include "platform/Folder.h"

#include "platform/File.h"
#include "platform/FolderInternal.h"
#include "platform/WindowsInternal.h"

#include <windows.h>

namespace orvelle::platform {

namespace {

bool isFolder(const std::wstring& name) {
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

bool listFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& out) {
    std::wstring pattern = windows::longPath(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        // Only a drive's root can be empty of even "." and "..".
        return ::GetLastError() == ERROR_FILE_NOT_FOUND && isFolder(windows::longPath(folder));
    }
    std::vector<std::filesystem::path> found;
    bool complete = true;
    do {
        if (entry.cFileName[0] == L'.') continue;
        found.push_back(folder / std::filesystem::path(entry.cFileName));
    } while (::FindNextFileW(search, &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) complete = false;
    ::FindClose(search);
    if (!complete) return false;
    out.insert(out.end(), found.begin(), found.end());
    return true;
}

bool createFolders(const std::filesystem::path& folder) {
    if (folder.empty()) return false;
    std::filesystem::path full = folder;
    if (!full.is_absolute()) {
        std::error_code ec;
        full = std::filesystem::absolute(folder, ec);
        if (ec) return false;
    }
    full = full.lexically_normal();
    // "C:\a\b\" names the same folder as "C:\a\b".
    if (!full.has_filename() && full.has_relative_path()) full = full.parent_path();
    const std::wstring name = windows::longPath(full);
    if (isFolder(name)) return true;
    const std::filesystem::path parent = full.parent_path();
    if (parent != full && !createFolders(parent)) return false;
    if (!::CreateDirectoryW(name.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    return isFolder(name);
}

bool makeOwnFolder(const std::filesystem::path& folder, std::error_code& ec) {
    // The attributes of a name are its own: a junction or a symbolic link
    // shows FILE_ATTRIBUTE_REPARSE_POINT rather than its target's attributes.
    const std::wstring name = windows::longPath(folder);
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if ((error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) ||
            (!::CreateDirectoryW(name.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) ||
            (attributes = ::GetFileAttributesW(name.c_str())) == INVALID_FILE_ATTRIBUTES) {
            ec = windows::lastError();
            return false;
        }
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ec = FileRefusal::linkedFolder;
        return false;
    }
    return true;
}

} // namespace orvelle::platform

#endif
