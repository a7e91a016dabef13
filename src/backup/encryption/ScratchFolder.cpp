#include "backup/encryption/ScratchFolder.h"

#include "platform/Folder.h"
#include "platform/Storage.h"

#include <algorithm>
#include <mutex>

namespace orvelle {

std::filesystem::path chooseScratchFolder(const std::filesystem::path& dataFolder,
                                          std::optional<std::uint64_t> dataDriveFree,
                                          const std::vector<DriveSpace>& drives) {
    if (!dataFolder.empty() && dataDriveFree && *dataDriveFree > kScratchMinimumFreeBytes)
        return dataFolder / kScratchFolderName;
    const DriveSpace* best = nullptr;
    for (const DriveSpace& drive : drives)
        if (drive.freeBytes && (!best || *drive.freeBytes > *best->freeBytes)) best = &drive;
    if (best) return best->root / kScratchFolderName;
    // No drive answered: the data folder is still the best guess.
    return dataFolder.empty() ? std::filesystem::path() : dataFolder / kScratchFolderName;
}

std::filesystem::path scratchFolder(const std::filesystem::path& dataFolder) {
    static std::once_flag once;
    static std::filesystem::path chosen;
    std::call_once(once, [&] {
        std::vector<DriveSpace> drives;
        std::optional<std::uint64_t> dataFree;
        if (!dataFolder.empty()) {
            platform::createFolders(dataFolder);
            dataFree = platform::freeBytes(dataFolder);
        }
        if (!dataFree || *dataFree <= kScratchMinimumFreeBytes)
            for (const std::filesystem::path& root : platform::scratchDriveRoots())
                drives.push_back({root, platform::freeBytes(root)});
        chosen = chooseScratchFolder(dataFolder, dataFree, drives);
    });
    return chosen;
}

std::vector<std::filesystem::path> runFolderParents(const std::filesystem::path& dataFolder) {
    std::vector<std::filesystem::path> parents;
    if (!dataFolder.empty()) parents.push_back(dataFolder / kScratchFolderName);
    for (const std::filesystem::path& root : platform::scratchDriveRoots())
        parents.push_back(root / kScratchFolderName);
    std::error_code ec;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(ec);
    if (!ec && std::find(parents.begin(), parents.end(), temporary) == parents.end())
        parents.push_back(temporary);
    return parents;
}

} // namespace orvelle
