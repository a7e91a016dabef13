#pragma once
/// Backups with Manifest.db (iOS 10 and later): the manifest itself is
/// encrypted with the key in Manifest.plist's ManifestKey, and every file's
/// key sits in its archived record in the `Files` table.
///
/// Files table columns read: fileID (text), flags (1 = file, 2 = folder,
/// 4 = symbolic link), file (archived MBFile, see FileRecord.h). Stored files
/// live in the sub-folder named by the first two digits of their file ID.

#include "decrypt/BackupFileEntry.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvelle::decrypt {

class ClassKeyRing;

constexpr const char* kManifestDbName = "Manifest.db";
constexpr int kFilesFlagFile = 1;

/// Decrypts `backupFolder`/Manifest.db into `destination` with `manifestKey`
/// (4-byte little-endian class + wrapped key). False with `error` set.
bool decryptManifestDb(const std::filesystem::path& backupFolder, const std::string& manifestKey,
                       const ClassKeyRing& keys, const std::filesystem::path& destination,
                       std::string& error);

/// Lists the regular files of the decrypted manifest `manifestPath`. Records
/// that cannot be read come back with `problem` set. False with `error` set
/// when the manifest cannot be queried at all.
bool listManifestDbFiles(const std::filesystem::path& manifestPath, const std::filesystem::path& backupFolder,
                         std::vector<BackupFileEntry>& out, std::string& error);

} // namespace orvelle::decrypt
