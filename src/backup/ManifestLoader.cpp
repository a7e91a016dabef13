#include "backup/ManifestLoader.h"

#include "backup/ManifestDb.h"
#include "backup/ManifestMbdb.h"
#include "backup/encryption/DecryptProtocol.h"
#include "platform/File.h"

namespace orvelle {

std::string manifestStatusText(Status status) {
    switch (status) {
    case kStatusOk:
        return "ok";
    case kStatusInvalid:
        return "no manifest (neither Manifest.db nor a valid Manifest.mbdb)";
    case kStatusManifestUnreadable:
        return "Manifest.mbdb cannot be opened";
    case kStatusSqliteQueryFailed:
        return "the Files table of Manifest.db could not be read";
    case kStatusNotRegularFile:
        return "the manifest is not a regular file: skipped";
    case kStatusShortRead:
        return "Manifest.mbdb is truncated or damaged; the files listed before the damage are used";
    default:
        return "Manifest.db cannot be opened or is damaged (SQLite error " + std::to_string(status) + ")";
    }
}

ManifestLoadResult loadManifest(const std::filesystem::path& backupFolder,
                                const std::filesystem::path& decryptedCopyFolder, ManifestList& out) {
    ManifestLoadResult result;
    const auto db = backupFolder / std::string(kManifestDbName);
    // Whatever stands there under the name is looked at: a FIFO or a link in
    // its place is reported as such, not taken for a missing manifest.
    result.twoLevelLayout = platform::pathExists(db);
    if (result.twoLevelLayout) {
        result.manifestPath = db;
        const std::string decrypted(kDecryptedManifestFile);
        if (!decryptedCopyFolder.empty() && platform::isRegularFile(decryptedCopyFolder / decrypted))
            result.manifestPath = decryptedCopyFolder / decrypted;
        else if (platform::isRegularFile(backupFolder / decrypted))
            result.manifestPath = backupFolder / decrypted;
        result.status = listManifestDb(result.manifestPath, out);
        return result;
    }
    const auto mbdb = backupFolder / std::string(kManifestMbdbName);
    if (platform::pathExists(mbdb)) {
        result.manifestPath = mbdb;
        result.status = parseManifestMbdb(mbdb, out);
        return result;
    }
    result.status = kStatusInvalid;
    return result;
}

} // namespace orvelle
