#ifdef _WIN32

#include "platform/PrivateFolder.h"

#include "platform/OutputFile.h"
#include "platform/WindowsInternal.h"

#include <windows.h>

#include <aclapi.h>
#include <cstdint>
#include <random>
#include <sddl.h>
#include <string>
#include <vector>

namespace orvelle::platform {

namespace windows {

namespace {

// The process token's user and the owner it gives what it makes (the
// Administrators group for an elevated administrator), read once.
struct TokenIdentity {
    std::vector<unsigned char> user;  // TOKEN_USER
    std::vector<unsigned char> owner; // TOKEN_OWNER
};

bool readToken(HANDLE token, TOKEN_INFORMATION_CLASS kind, std::vector<unsigned char>& out) {
    DWORD size = 0;
    ::GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) return false;
    out.resize(size);
    return ::GetTokenInformation(token, kind, out.data(), size, &size) != 0;
}

const TokenIdentity& tokenIdentity() {
    static const TokenIdentity identity = [] {
        TokenIdentity read;
        HANDLE token = nullptr;
        if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            if (!readToken(token, TokenUser, read.user)) read.user.clear();
            if (!readToken(token, TokenOwner, read.owner)) read.owner.clear();
            ::CloseHandle(token);
        }
        return read;
    }();
    return identity;
}

PSID userSid() {
    const TokenIdentity& identity = tokenIdentity();
    return identity.user.empty() ? nullptr
                                 : reinterpret_cast<const TOKEN_USER*>(identity.user.data())->User.Sid;
}

PSID ownerSid() {
    const TokenIdentity& identity = tokenIdentity();
    return identity.owner.empty() ? nullptr
                                  : reinterpret_cast<const TOKEN_OWNER*>(identity.owner.data())->Owner;
}

// See userOnlySecurity.
std::vector<unsigned char> makeUserOnlySecurity() {
    const PSID user = userSid();
    if (!user) return {};
    LPWSTR userText = nullptr;
    if (!::ConvertSidToStringSidW(user, &userText)) return {};
    // D:P = a protected access list (nothing inherited from above); one entry
    // allowing the user full control (FA), passed on to files (OI) and
    // folders (CI) made inside.
    const std::wstring text = L"D:P(A;OICI;FA;;;" + std::wstring(userText) + L")";
    ::LocalFree(userText);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ULONG size = 0;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor, &size))
        return {};
    const auto* bytes = static_cast<const unsigned char*>(descriptor);
    std::vector<unsigned char> out(bytes, bytes + size);
    ::LocalFree(descriptor);
    return out;
}

} // namespace

std::vector<unsigned char> userOnlySecurity() {
    static const std::vector<unsigned char> security = makeUserOnlySecurity();
    return security;
}

bool isCurrentUser(void* sid) {
    if (!sid || !::IsValidSid(sid)) return false;
    const PSID user = userSid();
    const PSID owner = ownerSid();
    return (user && ::EqualSid(sid, user)) || (owner && ::EqualSid(sid, owner));
}

} // namespace windows

namespace {

// Rights that let someone add, remove or rename what a folder holds, or
// change who may.
constexpr ACCESS_MASK kChangingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
constexpr int kMaximumRemovalDepth = 64;
constexpr int kNameAttempts = 32;

bool isMissingError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// True when the access list lets anyone but the user, the system and the
// administrators change the folder's entries. No list at all lets everyone.
bool openToOthers(PACL list) {
    if (!list) return true;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(list, i, &entry)) return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue; // for what is made inside only
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue; // denials only take away
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        const PSID sid = reinterpret_cast<PSID>(&allowed->SidStart);
        if (windows::isCurrentUser(sid) || ::IsWellKnownSid(sid, WinLocalSystemSid) ||
            ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
            continue;
        if ((allowed->Mask & kChangingRights) != 0) return true;
    }
    return false;
}

bool removeEntry(const std::filesystem::path& path, int depth) {
    const std::wstring name = windows::longPath(path);
    // The attributes of the name itself: a link is not followed here.
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return isMissingError(::GetLastError());
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // A symbolic link, junction or mount point goes as itself; what it
        // leads to is never listed.
        if (!folder) return removeFile(path);
        return ::RemoveDirectoryW(name.c_str()) || isMissingError(::GetLastError());
    }
    if (!folder) return removeFile(path);
    if (depth >= kMaximumRemovalDepth) return false;
    std::vector<std::filesystem::path> entries;
    const std::wstring pattern = name + L"\\*";
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring entry = found.cFileName;
            if (entry != L"." && entry != L"..") entries.push_back(path / std::filesystem::path(entry));
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    bool ok = true;
    for (const std::filesystem::path& entry : entries)
        ok = removeEntry(entry, depth + 1) && ok;
    if (!ok) return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        ::SetFileAttributesW(name.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    return ::RemoveDirectoryW(name.c_str()) || isMissingError(::GetLastError());
}

std::wstring randomName(std::string_view prefix, std::mt19937_64& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name(prefix);
    for (int i = 0; i < 12; ++i)
        name += kLetters[random() % (sizeof kLetters - 1)];
    return windows::widen(name);
}

} // namespace

FolderTrust checkFolderTrust(const std::filesystem::path& folder) {
    const std::wstring name = windows::longPath(folder);
    // The name itself is opened (not what a link leads to), and every check
    // is made on that one open folder.
    const HANDLE handle = ::CreateFileW(name.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return isMissingError(::GetLastError()) ? FolderTrust::Missing : FolderTrust::NotFolder;
    FolderTrust trust = FolderTrust::Trusted;
    BY_HANDLE_FILE_INFORMATION info{};
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::GetFileInformationByHandle(handle, &info)) {
        trust = FolderTrust::NotFolder;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        trust = FolderTrust::Link;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        trust = FolderTrust::NotFolder;
    } else if (::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                 &owner, nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS ||
               !windows::isCurrentUser(owner)) {
        trust = FolderTrust::OwnedByOther;
    } else if (openToOthers(list)) {
        trust = FolderTrust::WritableByOthers;
    }
    if (descriptor) ::LocalFree(descriptor);
    ::CloseHandle(handle);
    return trust;
}

FolderTrust makeTrustedFolder(const std::filesystem::path& folder) {
    std::vector<unsigned char> security = windows::userOnlySecurity();
    if (!security.empty()) {
        SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), security.data(), FALSE};
        ::CreateDirectoryW(windows::longPath(folder).c_str(), &attributes);
    }
    return checkFolderTrust(folder);
}

std::filesystem::path makePrivateFolder(const std::filesystem::path& parent, std::string_view prefix,
                                        std::error_code& ec) {
    std::vector<unsigned char> security = windows::userOnlySecurity();
    if (security.empty()) {
        ec = windows::errorCode(ERROR_ACCESS_DENIED);
        return {};
    }
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), security.data(), FALSE};
    std::random_device seed;
    std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed() ^ ::GetTickCount64() ^
                           ::GetCurrentProcessId());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path folder = parent / std::filesystem::path(randomName(prefix, random));
        // CreateDirectoryW fails on any existing name, so the folder is new.
        if (::CreateDirectoryW(windows::longPath(folder).c_str(), &attributes)) {
            ec.clear();
            return folder;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            ec = windows::lastError();
            return {};
        }
    }
    ec = windows::errorCode(ERROR_ALREADY_EXISTS);
    return {};
}

bool removeTree(const std::filesystem::path& path) {
    return removeEntry(path, 0);
}

} // namespace orvelle::platform

#endif
