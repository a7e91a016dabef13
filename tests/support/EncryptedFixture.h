#pragma once
/// Small plain backups (Manifest.db or Manifest.mbdb form) with known file
/// contents, and their encrypted forms, for the decryption tests.
/// Failures throw std::runtime_error (this is test code).

#include "support/BackupEncrypter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvelle::test {

struct FixtureFile {
    std::string domain;
    std::string relativePath;
    std::string content;
    std::string fileId() const; ///< SHA-1 of "domain-relativePath", lower-case hex
};

enum class ManifestForm { ManifestDb, Mbdb };

/// A handful of files covering the sizes that matter to block ciphers: empty,
/// one byte, exactly one block, a block and a byte, several kilobytes,
/// and the address book (so the backup counts as encrypted once encrypted).
std::vector<FixtureFile> sampleFixtureFiles();

/// Writes a plain backup of `files` into `folder`: Info.plist, the manifest in
/// `form` (with one folder record as real manifests have), and the stored files
/// (two-level for Manifest.db, flat for Manifest.mbdb).
void writePlainBackup(const std::filesystem::path& folder, ManifestForm form,
                      const std::vector<FixtureFile>& files);

/// writePlainBackup into `plainFolder`, then BackupEncrypter into `encryptedFolder`.
void writeEncryptedBackup(const std::filesystem::path& plainFolder,
                          const std::filesystem::path& encryptedFolder, ManifestForm form,
                          const std::vector<FixtureFile>& files, const EncryptionSettings& settings = {});

} // namespace orvelle::test
