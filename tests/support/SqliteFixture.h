#pragma once
/// Builds SQLite databases for tests and benchmarks with the SQLite library:
/// secure_delete off (deleted rows stay in the file), a chosen page size and
/// reserved bytes, SQL to run, and the three ways of deleting rows that matter
/// to recovery, each reporting the rows it deleted (the ground truth).
///
/// Failures throw std::runtime_error (this is test code).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace orvelle::test {

/// One value as SQLite stores it.
struct SqlValue {
    enum class Kind { null, integer, real, text, blob };
    Kind kind = Kind::null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes; ///< text (UTF-8) or blob

    static SqlValue null() { return {}; }
    static SqlValue of(std::int64_t v) { return {Kind::integer, v, 0, {}}; }
    static SqlValue ofReal(double v) { return {Kind::real, 0, v, {}}; }
    static SqlValue text(std::string v) { return {Kind::text, 0, 0, std::move(v)}; }
    static SqlValue blob(std::string v) { return {Kind::blob, 0, 0, std::move(v)}; }
    bool operator==(const SqlValue&) const = default;
};

using SqlRow = std::vector<SqlValue>;

/// A row with its rowid and its values as the record stores them: one per
/// column in declaration order, the rowid-alias column (INTEGER PRIMARY KEY)
/// as NULL.
struct StoredRow {
    std::int64_t rowid = 0;
    SqlRow values;
    bool operator==(const StoredRow&) const = default;
};

/// The ways of deleting rows that leave different traces in the file.
enum class DeletionPattern {
    scattered,    ///< single rows here and there: freeblocks inside live pages
    range,        ///< a run of rows that frees whole pages onto the freelist
    partlyReused, ///< scattered rows, then new rows that reuse part of the space
    neighbours,   ///< runs of three neighbouring rows: their cells merge into one freeblock
};

class SqliteFixture {
public:
    struct Options {
        int pageSize = 4096;
        int reservedBytes = 0; ///< bytes kept free at the end of every page
        bool secureDelete = false;
    };

    /// Creates (replacing) the database at `path`.
    explicit SqliteFixture(std::filesystem::path path);
    SqliteFixture(std::filesystem::path path, const Options& options);
    ~SqliteFixture();
    SqliteFixture(const SqliteFixture&) = delete;
    SqliteFixture& operator=(const SqliteFixture&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    /// Runs one or more SQL statements.
    void exec(std::string_view sql);
    /// Inserts one row (values for every column, in declaration order; give
    /// NULL for an INTEGER PRIMARY KEY to let SQLite choose); returns its rowid.
    std::int64_t insert(std::string_view table, const SqlRow& values);
    /// Inserts `count` rows made by `makeRow(i)` in one transaction.
    void insertRows(std::string_view table, int count, const std::function<SqlRow(int)>& makeRow);

    /// Every row of `table` in rowid order, as stored.
    std::vector<StoredRow> rows(std::string_view table);
    /// Deletes the rows matching `whereClause` and returns them as they were.
    std::vector<StoredRow> deleteWhere(std::string_view table, std::string_view whereClause);
    /// Deletes every `every`-th row in rowid order (starting with the
    /// `first`-th), leaving freeblocks in pages that stay live.
    std::vector<StoredRow> deleteScattered(std::string_view table, int every, int first = 0);
    /// Deletes the rows with rowids in [firstRowid, lastRowid].
    std::vector<StoredRow> deleteRange(std::string_view table, std::int64_t firstRowid,
                                       std::int64_t lastRowid);
    /// Deletes in `pattern`: scattered every 3rd row; a range of the middle
    /// half of the rows; every 3rd row followed by `reuseRows` new rows from
    /// `makeRow` (which overwrite part of the freed space); or three rows in
    /// every ten, one after another.
    std::vector<StoredRow> deleteRows(std::string_view table, DeletionPattern pattern, int reuseRows = 0,
                                      const std::function<SqlRow(int)>& makeRow = {});

    /// Closes the database; the file is complete afterwards. Further calls throw.
    void close();

private:
    sqlite3* handle();
    std::vector<StoredRow> select(std::string_view table, std::string_view whereClause);
    int rowidAliasColumn(std::string_view table);

    std::filesystem::path m_path;
    sqlite3* m_db = nullptr;
};

/// A varint as the file format writes it.
std::string encodeVarint(std::uint64_t value);
/// A table leaf cell: payload-length varint, rowid varint, record.
std::string encodeCell(std::int64_t rowid, const SqlRow& values);

/// Serial type of `value` as SQLite writes it (file format 4: 0 and 1 as 8, 9).
std::uint64_t sqlSerialType(const SqlValue& value);
/// The record SQLite writes for `values`: header (length varint and serial
/// types) and body.
std::string encodeRecord(const SqlRow& values);
/// The bytes of a record that survive when its cell is freed: the serial types
/// of columns 1 onwards and the body (the cell's first bytes become a freeblock
/// header). A deleted row whose signature still stands in the file is intact.
std::string recordSignature(const SqlRow& values);

/// Overwrites bytes of a closed database file at `offset`.
void patchFile(const std::filesystem::path& path, std::uint64_t offset, std::string_view bytes);
/// Big-endian 16/32-bit encodings for patching headers.
std::string bigEndian16(std::uint32_t value);
std::string bigEndian32(std::uint32_t value);

} // namespace orvelle::test
