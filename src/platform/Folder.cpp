#include "platform/Folder.h"

#include "platform/FolderInternal.h"

namespace orvelle::platform {

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
    if (!createFolders(top)) {
        // Asked once more, for the system's reason (a file of that name, no
        // permission).
        std::filesystem::create_directories(top, ec);
        if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
        return false;
    }
    std::filesystem::path current = top;
    for (const std::filesystem::path& part : relative) {
        if (part.empty() || part == ".") continue;
        current /= part;
        if (!makeOwnFolder(current, ec)) return false;
    }
    return true;
}

} // namespace orvelle::platform
