#ifndef _WIN32

#include "platform/Folder.h"

#include "platform/File.h"

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

bool createFoldersWithin(const std::filesystem::path& base, const std::filesystem::path& folder,
                         std::error_code& ec) {
    ec.clear();
    std::filesystem::path top = base.lexically_normal();
    if (!top.has_filename() && top.has_relative_path()) top = top.parent_path(); // "out/" is "out"
    const std::filesystem::path relative = folder.lexically_normal().lexically_relative(top);
    if (relative.empty() || *relative.begin() == "..") {
        ec = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    std::filesystem::create_directories(top, ec);
    if (ec) return false;
    // Each folder is looked at itself (lstat), never through a link.
    std::filesystem::path current = top;
    for (const std::filesystem::path& part : relative) {
        if (part.empty() || part == ".") continue;
        current /= part;
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT || (::mkdir(current.c_str(), 0777) != 0 && errno != EEXIST) ||
                ::lstat(current.c_str(), &st) != 0) {
                ec = {errno, std::system_category()};
                return false;
            }
        }
        if (!S_ISDIR(st.st_mode)) {
            ec = FileRefusal::linkedFolder;
            return false;
        }
    }
    return true;
}

} // namespace orvelle::platform

#endif
