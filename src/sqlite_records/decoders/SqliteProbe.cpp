#include "sqlite_records/decoders/SqliteProbe.h"

#include "platform/File.h"

#include <cstdio>
#include <sqlite3.h>
#include <string>

namespace orvelle {

std::string immutableUri(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    // UTF-8 whatever the system's narrow code page: SQLite reads URIs as UTF-8.
    const std::u8string utf8 = (ec ? path : absolute).generic_u8string();
    const std::string text(utf8.begin(), utf8.end());
    std::string uri = "file:";
    // "file:/C:/..." on Windows, "file:/home/..." elsewhere.
    if (text.empty() || text.front() != '/') uri += '/';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // Characters with a meaning in a URI are percent-encoded.
        if (byte == '%' || byte == '?' || byte == '#' || byte < 0x20 || byte == 0x7f) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            uri += escaped;
        } else {
            uri += c;
        }
    }
    uri += "?mode=ro&immutable=1";
    return uri;
}

ProbeResult probeQuery(const std::filesystem::path& path, std::string_view query, platform::LinkRule links) {
    ProbeResult result;
    // The library would wait on a FIFO for good: the file is opened our own
    // way first, which refuses anything but a regular file.
    {
        platform::InputFile check;
        std::error_code ec;
        if (!check.open(path, ec, links)) {
            result.status = platform::isNotRegularFile(ec) ? kStatusNotRegularFile : kStatusFileMissing;
            return result;
        }
    }
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI |
                      (links == platform::LinkRule::refuse ? SQLITE_OPEN_NOFOLLOW : 0);
    if (sqlite3_open_v2(immutableUri(path).c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        result.status = kStatusSqliteQueryFailed;
        return result;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, query.data(), static_cast<int>(query.size()), &statement, nullptr) !=
            SQLITE_OK ||
        !statement) {
        result.status = kStatusSqliteQueryFailed;
    } else {
        result.columnCount = sqlite3_column_count(statement);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

} // namespace orvelle
