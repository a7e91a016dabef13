#pragma once
/// The schema of a database as its page 1 holds it (the sqlite_schema table),
/// and the column list of a table parsed from its CREATE TABLE statement.
///
/// The parser follows SQLite's own tokens: identifiers quoted with "", [], ``
/// or '' (doubled quotes inside), comments (-- and /* */), column constraints,
/// table constraints (CONSTRAINT, PRIMARY KEY, UNIQUE, CHECK, FOREIGN KEY),
/// types and defaults with nested parentheses and quoted texts.

#include "core/Status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class SqliteFile;

/// The type affinity of a column, by SQLite's rules on its declared type:
/// INT -> integer; CHAR, CLOB, TEXT -> text; BLOB or no type -> blob;
/// REAL, FLOA, DOUB -> real; anything else -> numeric.
enum class ColumnAffinity : std::uint8_t { integer, text, blob, real, numeric };

/// The affinity of a declared type (as written in CREATE TABLE).
ColumnAffinity affinityOf(std::string_view declaredType);

/// One row of the schema table.
struct SchemaEntry {
    std::string type; ///< "table", "index", "view", "trigger"
    std::string name;
    std::string tableName; ///< tbl_name
    /// 1-based root page; 0 when the row has none or it is not an integer.
    std::uint32_t rootPage = 0;
    std::string sql;
};

/// Reads every schema row from page 1 (interior schema pages and overflowing
/// CREATE statements included). Malformed rows are skipped. Returns 0, 87 when
/// the file is not open, or the first page-read error.
Status readSchema(const SqliteFile& file, std::vector<SchemaEntry>& out);

/// The columns of one table.
class TableSchema {
public:
    /// Parses a CREATE TABLE statement; nullopt when it is not one (or holds no
    /// column, or is CREATE TABLE ... AS SELECT).
    static std::optional<TableSchema> parse(std::string_view createSql);

    /// The schema of table `tableName` (ASCII case ignored) read from page 1
    /// of `file`; nullopt when the table or its statement cannot be read.
    static std::optional<TableSchema> load(const SqliteFile& file, std::string_view tableName);

    /// Column names, unquoted, in declaration order: the positions of the
    /// values in a record (generated VIRTUAL columns, which records do not
    /// hold, are left out).
    const std::vector<std::string>& columns() const { return m_columns; }
    /// Declared types as written (empty when none), parallel to columns().
    const std::vector<std::string>& types() const { return m_types; }
    /// The affinity of column `index` (blob past the last column).
    ColumnAffinity affinity(std::uint32_t index) const {
        return index < m_types.size() ? affinityOf(m_types[index]) : ColumnAffinity::blob;
    }
    std::uint32_t columnCount() const { return static_cast<std::uint32_t>(m_columns.size()); }
    /// Position (0-based) of column `name` (ASCII case ignored), -1 when absent.
    int columnIndex(std::string_view name) const;
    bool hasColumn(std::string_view name) const { return columnIndex(name) >= 0; }
    /// True for WITHOUT ROWID tables (their pages are index b-trees; the record
    /// engine does not read them).
    bool withoutRowid() const { return m_withoutRowid; }
    /// The column that is an alias of the rowid (declared INTEGER PRIMARY KEY;
    /// its records hold NULL and the value is the cell's rowid), -1 when none.
    int rowidAliasColumn() const { return m_rowidAlias; }

private:
    std::vector<std::string> m_columns;
    std::vector<std::string> m_types;
    bool m_withoutRowid = false;
    int m_rowidAlias = -1;
};

} // namespace orvelle
