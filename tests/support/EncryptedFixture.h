#pragma once
/// Small plain backups with known file contents, built with BackupBuilder,
/// and their encrypted forms, for the decryption tests.
/// Failures throw std::runtime_error (this is test code).

#include "support/BackupBuilder.h"
#include "support/BackupEncrypter.h"

#include <filesystem>
#include <vector>

namespace orvelle::test {

using FixtureFile = BackupBuilder::Entry;

/// Files covering the sizes that matter to block ciphers (empty, one byte,
/// exactly one block, a block and a byte, several kilobytes), a photo, and
/// the address book (so the backup counts as encrypted once encrypted).
std::vector<FixtureFile> sampleFixtureFiles();

/// Builds the plain backup of `files` (plus one folder entry, as real
/// manifests have) with `kind` into `plainFolder`, then encrypts it into
/// `encryptedFolder` with `settings`.
void writeEncryptedBackup(const std::filesystem::path& plainFolder,
                          const std::filesystem::path& encryptedFolder, ManifestKind kind,
                          const std::vector<FixtureFile>& files, const EncryptionSettings& settings = {});

} // namespace orvelle::test
