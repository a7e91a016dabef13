#include "backup/encryption/ScratchFolder.h"

#include "platform/Folder.h"
#include "platform/Storage.h"

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
        if (!chosen.empty() && platform::createFolders(chosen)) platform::setHidden(chosen);
    });
    return chosen;
}

std::filesystem::path decryptOutputFolder(const std::filesystem::path& dataFolder) {
    const std::filesystem::path scratch = scratchFolder(dataFolder);
    return scratch.empty() ? scratch : scratch / kDecryptOutputFolderName;
}

} // namespace orvelle
