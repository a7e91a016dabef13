#ifndef _WIN32

#include "platform/Folder.h"

#include "platform/File.h"
#include "platform/FolderInternal.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace orvelle::platform {

bool listFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& out) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    std::vector<std::filesystem::path> found;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        found.push_back(folder / entry->d_name);
    }
    ::closedir(dir);
    out.insert(out.end(), found.begin(), found.end());
    return true;
}

bool createFolders(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

bool makeOwnFolder(const std::filesystem::path& folder, std::error_code& ec) {
    // The folder is looked at itself (lstat), never through a link.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT || (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) ||
            ::lstat(folder.c_str(), &st) != 0) {
            ec = {errno, std::system_category()};
            return false;
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        ec = FileRefusal::linkedFolder;
        return false;
    }
    return true;
}

} // namespace orvelle::platform

#endif
