#include "backup/encryption/DecryptedCopies.h"

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

} // namespace orvelle
