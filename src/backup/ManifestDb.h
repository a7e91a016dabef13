#pragma once
/// Lists the Files table of a Manifest.db (the manifest of backups from
/// iOS 10 on) through the SQLite library:
///
///     CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT,
///                         relativePath TEXT, flags INTEGER, file BLOB)
///
/// The database is opened read-only and immutable, so the library never
/// writes beside it (no journal, no lock file): backups stay untouched.

#include "backup/ManifestEntry.h"
#include "core/Status.h"

#include <filesystem>
#include <string_view>

namespace orvelle {

constexpr std::string_view kManifestQuery = "select fileID,domain, relativePath from Files;";

/// Appends one entry per row of Files, in result order: fileId from fileID,
/// domainPath the domain with "-" and each further non-NULL column appended.
/// kStatusOk; the library's code when the file cannot be opened; or
/// kStatusSqliteQueryFailed when the query fails (the rows read before stay in `out`).
Status listManifestDb(const std::filesystem::path& databasePath, ManifestList& out);

} // namespace orvelle
