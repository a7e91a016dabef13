#ifndef _WIN32

#include "platform/PrivateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvelle::platform {

namespace {

constexpr mode_t kPrivateFolderMode = S_IRWXU; // 0700
// Folders nested deeper than this are left in place rather than holding one
// open descriptor per level: the program's own scratch folders are flat.
constexpr int kMaximumRemovalDepth = 64;

std::error_code lastError() {
    return {errno, std::system_category()};
}

// Gives the folder just made the private mode whatever the umask took away,
// through a descriptor of the folder itself, never through a link.
bool setPrivateMode(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fchmod(fd, kPrivateFolderMode) == 0;
    ::close(fd);
    return ok;
}

bool removeEntryAt(int folderFd, const char* name, int depth);

// Removes everything inside the open folder `folderFd`.
bool removeContents(int folderFd, int depth) {
    const int listFd = ::dup(folderFd);
    if (listFd < 0) return false;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return false;
    }
    // The names are read first: removing while reading may skip entries.
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    bool ok = true;
    for (const std::string& name : names)
        ok = removeEntryAt(folderFd, name.c_str(), depth) && ok;
    return ok;
}

// Removes the entry `name` of the open folder `folderFd`. Anything but a
// folder, a link to a folder included, goes with unlinkat, which removes the
// link itself; only a real folder is opened (O_NOFOLLOW), emptied and removed.
bool removeEntryAt(int folderFd, const char* name, int depth) {
    if (::unlinkat(folderFd, name, 0) == 0 || errno == ENOENT) return true;
    // Linux answers EISDIR for a folder, other systems EPERM.
    if (errno != EISDIR && errno != EPERM) return false;
    if (depth >= kMaximumRemovalDepth) return false;
    const int childFd = ::openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (childFd < 0) {
        // Replaced by a link or a file since: remove that instead.
        if (errno == ELOOP || errno == ENOTDIR) return ::unlinkat(folderFd, name, 0) == 0 || errno == ENOENT;
        return false;
    }
    const bool emptied = removeContents(childFd, depth + 1);
    ::close(childFd);
    if (!emptied) return false;
    return ::unlinkat(folderFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

} // namespace

FolderTrust checkFolderTrust(const std::filesystem::path& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FolderTrust::Missing : FolderTrust::NotFolder;
    if (S_ISLNK(info.st_mode)) return FolderTrust::Link;
    if (!S_ISDIR(info.st_mode)) return FolderTrust::NotFolder;
    if (info.st_uid != ::geteuid()) return FolderTrust::OwnedByOther;
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) return FolderTrust::WritableByOthers;
    return FolderTrust::Trusted;
}

FolderTrust makeTrustedFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), kPrivateFolderMode) == 0) setPrivateMode(folder);
    return checkFolderTrust(folder);
}

std::filesystem::path makePrivateFolder(const std::filesystem::path& parent, std::string_view prefix,
                                        std::error_code& ec) {
    std::string pattern = (parent / std::string(prefix)).string() + "XXXXXX";
    // mkdtemp makes the folder 0700 under a name nobody can guess or claim first.
    if (!::mkdtemp(pattern.data())) {
        ec = lastError();
        return {};
    }
    const std::filesystem::path folder = pattern;
    if (!setPrivateMode(folder)) {
        ec = lastError();
        ::rmdir(pattern.c_str());
        return {};
    }
    ec.clear();
    return folder;
}

bool removeTree(const std::filesystem::path& path) {
    std::filesystem::path name = path.filename();
    if (name.empty()) name = path.parent_path().filename(); // a trailing separator
    const std::filesystem::path parent = (path.has_filename() ? path : path.parent_path()).parent_path();
    if (name.empty() || name == "." || name == "..") return false;
    const int parentFd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) return errno == ENOENT;
    const bool ok = removeEntryAt(parentFd, name.c_str(), 0);
    ::close(parentFd);
    return ok;
}

} // namespace orvelle::platform

#endif
