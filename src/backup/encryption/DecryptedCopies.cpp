#include "backup/encryption/DecryptedCopies.h"

#include "platform/OutputFile.h"
#include "platform/PrivateFolder.h"

namespace orvelle {

void cleanUpDecryptedCopies(const std::filesystem::path& outputFolder,
                            std::vector<std::filesystem::path>& decryptedFiles) {
    const platform::FolderTrust trust =
        outputFolder.empty() ? platform::FolderTrust::Missing : platform::checkFolderTrust(outputFolder);
    if (trust == platform::FolderTrust::Link || trust == platform::FolderTrust::NotFolder) {
        platform::removeTree(outputFolder); // the link itself, never its target's files
    } else if (trust != platform::FolderTrust::Missing) {
        std::vector<std::filesystem::path> entries;
        // Every entry, hidden ones included: listFolder leaves out dot names.
        std::error_code ec;
        for (auto it = std::filesystem::directory_iterator(outputFolder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            entries.push_back(it->path());
        for (const std::filesystem::path& entry : entries)
            platform::removeTree(entry);
    }
    for (const std::filesystem::path& file : decryptedFiles)
        platform::removeFile(file);
    decryptedFiles.clear();
}

} // namespace orvelle
