#pragma once
/// Asking the SQLite library about a database's layout (never for its rows):
/// whether a query can be prepared and how many columns it yields. The file is
/// opened read-only and immutable, so the library neither writes nor creates
/// anything beside it (no journal, no -shm) — backups are never written to.

#include "core/Status.h"
#include "platform/File.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle {

struct ProbeResult {
    /// 0 when the query could be prepared; kStatusFileMissing when the file does
    /// not exist; kStatusNotRegularFile when it is no regular file (or a link
    /// not to be followed); kStatusSqliteQueryFailed when the library could not open the
    /// file or prepare the query (no such table, not a database, encrypted).
    Status status = kStatusOk;
    /// Columns of the query's result rows.
    int columnCount = 0;
};

/// Prepares `query` (not run) on the database at `path`; `links` as for InputFile::open.
ProbeResult probeQuery(const std::filesystem::path& path, std::string_view query,
                       platform::LinkRule links = platform::LinkRule::refuse);

/// The path as an SQLite "file:" URI with read-only, immutable parameters.
std::string immutableUri(const std::filesystem::path& path);

} // namespace orvelle
