#include "backup/encryption/EncryptedBackupListing.h"

#include "platform/Folder.h"

namespace orvelle {

bool listEncryptedBackupFiles(const std::filesystem::path& backupFolder,
                              std::vector<std::filesystem::path>& out) {
    std::vector<std::filesystem::path> top;
    if (!platform::listFolder(backupFolder, top)) return false;
    for (const std::filesystem::path& entry : top) {
        std::error_code ec;
        if (std::filesystem::is_directory(entry, ec))
            platform::listFolder(entry, out);
        else
            out.push_back(entry);
    }
    return true;
}

} // namespace orvelle
