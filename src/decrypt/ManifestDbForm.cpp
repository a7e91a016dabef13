#include "decrypt/ManifestDbForm.h"

#include "decrypt/ClassKeyRing.h"
#include "decrypt/FileDecryption.h"
#include "decrypt/FileRecord.h"
#include "platform/PathText.h"

#include <memory>
#include <sqlite3.h>

namespace orvelle::decrypt {

namespace {

struct DatabaseClose {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalize {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};

std::string columnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

BackupFileEntry entryFromRow(sqlite3_stmt* stmt, const std::filesystem::path& backupFolder) {
    BackupFileEntry entry;
    entry.fileId = columnText(stmt, 0);
    if (!isFileId(entry.fileId)) {
        entry.problem = "manifest row has an invalid file ID";
        return entry;
    }
    entry.storedPath = backupFolder / entry.fileId.substr(0, 2) / entry.fileId;
    const auto* blob = static_cast<const char*>(sqlite3_column_blob(stmt, 2));
    const std::string_view record(blob ? blob : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, 2)));
    if (record.empty()) return entry; // no record: stored as it is
    ArchivedFileInfo info;
    if (!readArchivedFile(record, info, entry.problem)) return entry;
    entry.size = info.size;
    if (info.keyRecord.empty()) return entry;
    if (info.keyRecord.size() <= kProtectionClassPrefixSize) {
        entry.problem = "file key record has " + std::to_string(info.keyRecord.size()) + " bytes";
        return entry;
    }
    entry.protectionClass = info.protectionClass;
    entry.wrappedKey = info.keyRecord.substr(kProtectionClassPrefixSize);
    return entry;
}

} // namespace

bool decryptManifestDb(const std::filesystem::path& backupFolder, const std::string& manifestKey,
                       const ClassKeyRing& keys, const std::filesystem::path& destination,
                       std::string& error) {
    if (manifestKey.size() <= kProtectionClassPrefixSize) {
        error = "Manifest.plist holds no usable ManifestKey";
        return false;
    }
    std::string key;
    if (!keys.unwrapFileKey(readProtectionClass(manifestKey), std::string_view(manifestKey).substr(4), key,
                            error)) {
        error = "ManifestKey: " + error;
        return false;
    }
    std::string unused; // no size is recorded for the manifest, so no warning
    if (!decryptFile(backupFolder / kManifestDbName, destination, key, std::nullopt, error, unused)) return false;
    return true;
}

bool listManifestDbFiles(const std::filesystem::path& manifestPath, const std::filesystem::path& backupFolder,
                         std::vector<BackupFileEntry>& out, std::string& error) {
    sqlite3* raw = nullptr;
    // SQLite takes file names as UTF-8 on every system (not the wide native form).
    const std::string name = platform::pathText(manifestPath);
    const int rc = sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr);
    std::unique_ptr<sqlite3, DatabaseClose> db(raw);
    if (rc != SQLITE_OK) {
        error = "cannot open the decrypted manifest: " + std::string(sqlite3_errstr(rc));
        return false;
    }
    sqlite3_stmt* rawStmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), "SELECT fileID, flags, file FROM Files", -1, &rawStmt, nullptr) !=
        SQLITE_OK) {
        error = "the decrypted manifest cannot be queried: " + std::string(sqlite3_errmsg(db.get())) +
                " (wrong password or damaged Manifest.db)";
        return false;
    }
    std::unique_ptr<sqlite3_stmt, StatementFinalize> stmt(rawStmt);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        if (sqlite3_column_int(stmt.get(), 1) != kFilesFlagFile) continue;
        out.push_back(entryFromRow(stmt.get(), backupFolder));
    }
    if (step != SQLITE_DONE) {
        error = "reading the decrypted manifest failed: " + std::string(sqlite3_errmsg(db.get()));
        return false;
    }
    return true;
}

} // namespace orvelle::decrypt
