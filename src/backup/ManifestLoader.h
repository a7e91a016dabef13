#pragma once
/// Chooses and reads the manifest of a backup folder.
///
/// 1. The folder uses the two-level layout when it holds "Manifest.db".
/// 2. Then the decrypted manifest "Manifest.db-decypted" is read when there is
///    one (first in the decrypted copy's folder, then in the backup folder),
///    else "Manifest.db".
/// 3. Without "Manifest.db", "Manifest.mbdb" is read (flat layout).
/// 4. Without either, the result is kStatusInvalid.

#include "backup/ManifestEntry.h"
#include "core/Status.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle {

constexpr std::string_view kManifestDbName = "Manifest.db";
constexpr std::string_view kManifestMbdbName = "Manifest.mbdb";

struct ManifestLoadResult {
    Status status = kStatusInvalid;
    bool twoLevelLayout = false;        ///< the backup folder holds "Manifest.db"
    std::filesystem::path manifestPath; ///< the file that was read; empty when none
};

/// Reads the manifest of `backupFolder` into `out` (appended). `decryptedCopyFolder`,
/// when not empty, is searched first for the decrypted manifest.
/// What a status of loadManifest means, in words ("no manifest (neither
/// Manifest.db nor a valid Manifest.mbdb)", ...).
std::string manifestStatusText(Status status);

ManifestLoadResult loadManifest(const std::filesystem::path& backupFolder,
                                const std::filesystem::path& decryptedCopyFolder, ManifestList& out);

} // namespace orvelle
