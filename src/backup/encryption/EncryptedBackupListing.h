#pragma once
/// The files of an encrypted backup, counted for the decryption's progress:
/// every entry of the backup folder, with a sub-folder replaced by its own
/// entries (two levels, as the stored files lie in two-digit sub-folders).

#include <filesystem>
#include <vector>

namespace orvelle {

/// Appends the backup's files to `out`; false when the folder cannot be listed.
bool listEncryptedBackupFiles(const std::filesystem::path& backupFolder,
                              std::vector<std::filesystem::path>& out);

} // namespace orvelle
