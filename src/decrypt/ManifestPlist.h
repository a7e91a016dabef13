#pragma once
/// Manifest.plist of an encrypted backup: the keybag and the manifest key.
///
/// | key          | type | meaning                                                  |
/// |--------------|------|----------------------------------------------------------|
/// | IsEncrypted  | bool | true for an encrypted backup                             |
/// | BackupKeyBag | data | the keybag (see KeyBag.h)                                |
/// | ManifestKey  | data | 4-byte little-endian protection class + 40-byte wrapped  |
/// |              |      | key of Manifest.db; absent on Manifest.mbdb backups      |

#include <filesystem>
#include <string>

namespace orvelle::decrypt {

struct ManifestPlist {
    bool isEncrypted = false;
    std::string keyBag;      // BackupKeyBag bytes
    std::string manifestKey; // ManifestKey bytes, empty when absent
};

/// Reads `path` (XML or binary). False with `error` set when the file is
/// missing, not a property list, or lacks a BackupKeyBag.
bool readManifestPlist(const std::filesystem::path& path, ManifestPlist& out, std::string& error);

} // namespace orvelle::decrypt
