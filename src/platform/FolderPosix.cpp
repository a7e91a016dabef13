#ifndef _WIN32

#include "platform/Folder.h"

#include <dirent.h>

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

} // namespace orvelle::platform

#endif
