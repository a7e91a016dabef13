#include "backup/ManifestDb.h"

#include "platform/File.h"
#include "platform/PathText.h"

#include <sqlite3.h>

namespace orvelle {

namespace {

/// No row of Files takes fewer bytes on disk than its 40-digit file ID.
constexpr std::uint64_t kMinimumRowBytes = 40;

/// A "file:" URI of `path` with every byte outside the unreserved set escaped.
std::string immutableUri(const std::filesystem::path& path) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    const std::string text = platform::pathText(ec ? path : absolute);
    std::string uri = "file:";
#ifdef _WIN32
    uri += "///";
#endif
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
        if (c == '\\') {
            uri.push_back('/');
        } else if (plain) {
            uri.push_back(static_cast<char>(c));
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 15]);
        }
    }
    uri += "?mode=ro&immutable=1";
    return uri;
}

/// Appends the current row: fileId from the first column, the domain from the
/// second, "-" and every further non-NULL column after it.
void collectRow(sqlite3_stmt* stmt, ManifestList& out) {
    const int columns = sqlite3_column_count(stmt);
    auto text = [stmt](int i) {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return bytes ? std::string_view(bytes, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)))
                     : std::string_view();
    };
    ManifestEntry entry;
    if (columns > 0) entry.fileId = text(0);
    if (columns > 1) entry.domainPath = text(1);
    for (int i = 2; i < columns; ++i) {
        if (sqlite3_column_type(stmt, i) == SQLITE_NULL) continue;
        entry.domainPath.push_back('-');
        entry.domainPath.append(text(i));
    }
    out.push_back(std::move(entry));
}

/// Makes room for every row at once: counting reads one of the small indexes,
/// far less than the table, and spares the list its repeated growth. A damaged
/// file cannot make us reserve more rows than its bytes could hold.
void reserveForRows(sqlite3* db, std::uint64_t fileSize, ManifestList& out) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select count(*) from Files", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        const sqlite3_int64 rows = sqlite3_column_int64(stmt, 0);
        if (rows > 0 && static_cast<std::uint64_t>(rows) <= fileSize / kMinimumRowBytes &&
            static_cast<std::uint64_t>(rows) < out.max_size() - out.size()) {
            try {
                out.reserve(out.size() + static_cast<std::size_t>(rows));
            } catch (const std::bad_alloc&) {
                // Growing as rows arrive still works, just with copies.
            }
        }
    }
    sqlite3_finalize(stmt);
}

} // namespace

Status listManifestDb(const std::filesystem::path& databasePath, ManifestList& out) {
    // One connection used by this thread alone: no per-call locking. No memory
    // map either: a file that shrinks under a map (an unplugged drive) would
    // kill the process instead of failing the read.
    // The library would wait on a FIFO for good: the file is opened our own
    // way first, which refuses anything but a regular file (and a link), and
    // the library is told not to follow a link either.
    {
        platform::InputFile check;
        std::error_code ec;
        if (!check.open(databasePath, ec))
            return platform::isNotRegularFile(ec) ? kStatusNotRegularFile : SQLITE_CANTOPEN;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(
        immutableUri(databasePath).c_str(), &db,
        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return rc;
    }
    std::error_code ec;
    const std::uint64_t fileSize = std::filesystem::file_size(databasePath, ec);
    reserveForRows(db, ec ? 0 : fileSize, out);
    // One statement stepped to the end: the same rows, in the same order, as
    // running the query with a row callback, without the per-row text arrays.
    sqlite3_stmt* stmt = nullptr;
    Status status = kStatusOk;
    if (sqlite3_prepare_v2(db, kManifestQuery.data(), static_cast<int>(kManifestQuery.size()), &stmt,
                           nullptr) != SQLITE_OK) {
        status = kStatusSqliteQueryFailed;
    } else {
        int step;
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW)
            collectRow(stmt, out);
        if (step != SQLITE_DONE) status = kStatusSqliteQueryFailed;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return status;
}

} // namespace orvelle
