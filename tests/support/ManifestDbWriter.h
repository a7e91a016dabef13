#pragma once
/// Writes a Manifest.db as device backups have it, with the SQLite library:
///
///     CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT,
///                         relativePath TEXT, flags INTEGER, file BLOB)
///     CREATE TABLE Properties (key TEXT PRIMARY KEY, value BLOB)
///
/// Rows are written in one transaction, in the order they are added (which is
/// the order a plain "select" returns them). Throws std::runtime_error.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace orvelle::test {

/// Values of the flags column.
constexpr int kManifestFlagFile = 1;
constexpr int kManifestFlagDirectory = 2;
constexpr int kManifestFlagSymlink = 4;

struct ManifestDbRow {
    std::string fileId;
    std::optional<std::string> domain;
    std::optional<std::string> relativePath; ///< NULL leaves the domain alone
    int flags = kManifestFlagFile;
    std::optional<std::string> file; ///< archived file record (BLOB), or NULL
};

class ManifestDbWriter {
public:
    /// Creates (replaces) the database at `path`.
    explicit ManifestDbWriter(const std::filesystem::path& path);
    ~ManifestDbWriter();
    ManifestDbWriter(const ManifestDbWriter&) = delete;
    ManifestDbWriter& operator=(const ManifestDbWriter&) = delete;

    void add(const ManifestDbRow& row);
    /// Commits and closes; called by the destructor when not called before.
    void finish();

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
};

} // namespace orvelle::test
