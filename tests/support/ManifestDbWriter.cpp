#include "support/ManifestDbWriter.h"

#include "platform/PathText.h"

#include <sqlite3.h>
#include <stdexcept>

namespace orvelle::test {

namespace {
void check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}
void bindOptional(sqlite3_stmt* stmt, int index, const std::optional<std::string>& value, bool blob) {
    if (!value) {
        sqlite3_bind_null(stmt, index);
    } else if (blob) {
        sqlite3_bind_blob(stmt, index, value->data(), static_cast<int>(value->size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_text(stmt, index, value->data(), static_cast<int>(value->size()), SQLITE_TRANSIENT);
    }
}
} // namespace

ManifestDbWriter::ManifestDbWriter(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    check(m_db, sqlite3_open(platform::pathText(path).c_str(), &m_db), "open Manifest.db");
    check(m_db,
          sqlite3_exec(
              m_db,
              "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
              "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags INTEGER, "
              "file BLOB);"
              "CREATE INDEX FilesDomainIdx ON Files(domain);"
              "CREATE INDEX FilesRelativePathIdx ON Files(relativePath);"
              "CREATE INDEX FilesFlagsIdx ON Files(flags);"
              "CREATE TABLE Properties (key TEXT PRIMARY KEY, value BLOB);"
              "BEGIN;",
              nullptr, nullptr, nullptr),
          "create Manifest.db");
    check(m_db, sqlite3_prepare_v2(m_db, "INSERT INTO Files VALUES (?,?,?,?,?)", -1, &m_insert, nullptr),
          "prepare insert");
}

ManifestDbWriter::~ManifestDbWriter() {
    try {
        finish();
    } catch (...) {
    }
}

void ManifestDbWriter::add(const ManifestDbRow& row) {
    sqlite3_reset(m_insert);
    sqlite3_bind_text(m_insert, 1, row.fileId.data(), static_cast<int>(row.fileId.size()), SQLITE_TRANSIENT);
    bindOptional(m_insert, 2, row.domain, false);
    bindOptional(m_insert, 3, row.relativePath, false);
    sqlite3_bind_int(m_insert, 4, row.flags);
    bindOptional(m_insert, 5, row.file, true);
    check(m_db, sqlite3_step(m_insert), "insert into Files");
}

void ManifestDbWriter::finish() {
    if (!m_db) return;
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    const int rc = sqlite3_exec(m_db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
    m_db = nullptr;
    if (rc != SQLITE_OK) throw std::runtime_error("commit Manifest.db failed");
}

} // namespace orvelle::test
