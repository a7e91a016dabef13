#include "backup/encryption/DecryptedCopies.h"

#include "backup/encryption/ScratchFolder.h"
#include "platform/Storage.h"

namespace orvelle {

void cleanUpDecryptedCopies(const std::filesystem::path& outputFolder,
                            std::vector<std::filesystem::path>& decryptedFiles) {
    std::error_code ec;
    if (!outputFolder.empty()) {
        std::vector<std::filesystem::path> entries;
        // Every entry, hidden ones included: listFolder leaves out dot names,
        // so the folder is walked directly.
        for (auto it = std::filesystem::directory_iterator(outputFolder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            entries.push_back(it->path());
        for (const std::filesystem::path& entry : entries)
            if (!std::filesystem::is_directory(std::filesystem::symlink_status(entry, ec)))
                std::filesystem::remove(entry, ec);
    }
    for (const std::filesystem::path& file : decryptedFiles)
        std::filesystem::remove(file, ec);
    decryptedFiles.clear();
}

void cleanUpDecryptedCopiesAt(const std::filesystem::path& dataFolder) {
    std::vector<std::filesystem::path> roots = platform::scratchDriveRoots();
    if (!dataFolder.empty()) roots.insert(roots.begin(), dataFolder);
    for (const std::filesystem::path& root : roots) {
        std::vector<std::filesystem::path> none;
        const std::filesystem::path output = root / kScratchFolderName / kDecryptOutputFolderName;
        std::error_code ec;
        if (std::filesystem::is_directory(output, ec)) cleanUpDecryptedCopies(output, none);
    }
}

} // namespace orvelle
