#include "backup/ManifestDb.h"

#include "platform/PathText.h"

#include <sqlite3.h>

namespace orvelle {

namespace {

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

int collectRow(void* context, int columns, char** values, char** /*names*/) {
    auto& out = *static_cast<ManifestList*>(context);
    ManifestEntry entry;
    if (columns > 0 && values[0]) entry.fileId = values[0];
    if (columns > 1 && values[1]) entry.domainPath = values[1];
    for (int i = 2; i < columns; ++i) {
        if (!values[i]) continue;
        entry.domainPath.push_back('-');
        entry.domainPath.append(values[i]);
    }
    out.push_back(std::move(entry));
    return 0;
}

} // namespace

Status listManifestDb(const std::filesystem::path& databasePath, ManifestList& out) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(immutableUri(databasePath).c_str(), &db,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return rc;
    }
    char* message = nullptr;
    const std::string query(kManifestQuery);
    sqlite3_exec(db, query.c_str(), collectRow, &out, &message);
    Status status = kStatusOk;
    if (message) {
        sqlite3_free(message);
        status = kStatusSqliteQueryFailed;
    }
    sqlite3_close(db);
    return status;
}

} // namespace orvelle
