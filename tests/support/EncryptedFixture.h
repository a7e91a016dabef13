#pragma once
/// Small plain backups with known file contents, built with BackupBuilder,
/// and their encrypted forms, for the decryption tests.
/// Failures throw std::runtime_error (this is test code).

#include "support/BackupBuilder.h"
#include "support/BackupEncrypter.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace orvelle::test {

using FixtureFile = BackupBuilder::Entry;

/// Files covering the sizes that matter to block ciphers (empty, one byte,
/// exactly one block, a block and a byte, several kilobytes, more than one
/// read chunk, exactly one read chunk), a photo, and
/// the address book (so the backup counts as encrypted once encrypted).
std::vector<FixtureFile> sampleFixtureFiles();

/// Builds the plain backup of `files` (plus one folder entry, as real
/// manifests have) with `kind` into `plainFolder`, then encrypts it into
/// `encryptedFolder` with `settings`.
void writeEncryptedBackup(const std::filesystem::path& plainFolder,
                          const std::filesystem::path& encryptedFolder, ManifestKind kind,
                          const std::vector<FixtureFile>& files, const EncryptionSettings& settings = {});

/// Rewrites the Manifest.plist of the encrypted backup `encryptedFolder` with
/// the first `tag` record of its keybag (a 4-byte count: "ITER", "DPIC")
/// set to `value`; the rest of the keybag and the manifest key stay.
void plantKeyBagCount(const std::filesystem::path& encryptedFolder, std::string_view tag,
                      std::uint32_t value);

/// The encrypted demo backup: the recent demo backup (with an address book, by
/// which a backup is known to be encrypted) encrypted with kDemoPassword.
constexpr std::string_view kEncryptedDemoFolder = "5e1c0a9b7d3f42a68b0c1d2e3f405162738495a6";
constexpr std::string_view kDemoPassword = "orvelle-demo";

/// Writes the encrypted demo backup below `root` (created). Returns its folder.
/// `recordedSizeHook` may make the manifest record other sizes than the files'.
std::filesystem::path makeEncryptedDemoBackup(
    const std::filesystem::path& root,
    std::function<void(const std::string& domainPath, std::uint64_t& size)> recordedSizeHook = {});

} // namespace orvelle::test
