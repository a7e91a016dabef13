#pragma once
/// Where a decoder finds its fields in a table's records. Device tables gained
/// columns over the system versions, so each field is looked up by its column
/// name in the table's own CREATE TABLE statement (page 1 of the file), and the
/// expected column count for carving comes from the same statement. When the
/// statement cannot be read, fixed positions and a fixed count are used: those
/// of the layout the decoder was first written for.

#include "core/Status.h"
#include "sqlite_records/TableScan.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace orvelle {

class SqliteFile;
class TableSchema;

/// One field a decoder reads.
struct FieldColumn {
    /// The column's name (ASCII case ignored). A name that begins with '*'
    /// matches a full-text column named "c" + digits + the rest ("*Phone"
    /// matches "c15Phone" and "c16Phone").
    std::string_view name;
    /// The position used when the table's schema cannot be read; -1: none.
    int fallbackPosition = -1;
};

class TableColumns {
public:
    /// Looks every field up by name in `schema`; a field whose name the
    /// table lacks gets -1. The column count is the statement's.
    static TableColumns fromSchema(const TableSchema& schema, std::span<const FieldColumn> fields);
    /// The fixed positions and `fallbackCount` (0: the page reader's rule).
    static TableColumns fixed(std::span<const FieldColumn> fields, std::uint32_t fallbackCount);
    /// From the schema of `table` in `file` when it can be read, else fixed.
    static TableColumns resolve(const SqliteFile& file, std::string_view table,
                                std::span<const FieldColumn> fields, std::uint32_t fallbackCount);

    /// Position of field `field` (its index in the list given), -1 when absent.
    int operator[](std::size_t field) const { return field < m_positions.size() ? m_positions[field] : -1; }
    bool has(std::size_t field) const { return (*this)[field] >= 0; }
    /// Expected column count for carving; 0 leaves it to the page reader.
    std::uint32_t columnCount() const { return m_columnCount; }
    /// True when the positions came from the table's CREATE TABLE statement.
    bool fromStatement() const { return m_fromStatement; }
    /// The highest position of a field + 1: how many leading columns a row
    /// routine that reads only these fields needs decoded (0 when no field has
    /// a position).
    std::uint32_t valueColumns() const;
    /// Every field's position (-1 for an absent field).
    std::span<const int> positions() const { return m_positions; }

private:
    std::vector<int> m_positions;
    std::uint32_t m_columnCount = 0;
    bool m_fromStatement = false;
};

/// Which values the row routine is handed.
enum class FieldValues {
    all,        ///< every column's value
    fieldsOnly, ///< the fields' columns only (the routine reads nothing else)
};

/// Runs the table driver over `table` with the carving count of `columns`.
/// With fixed positions the page reader's count rules learn from live rows
/// (the message table's width, the address book's header size), so the live
/// rows are read first and the deleted ones in a second pass. The rows handed
/// over are the same whichever `values` is asked for.
Status scanWithColumns(SqliteFile& file, std::string_view table, const RowSink& sink,
                       const TableColumns& columns, FieldValues values = FieldValues::all);

/// scanWithColumns over the table a decoder's records live in, where an
/// absent or damaged table is a fault the user must hear of: answers
/// kStatusTableMissing when the file has no such table (or its schema cannot
/// be read), kStatusDatabaseDamaged when pages of the table's tree are not
/// b-tree pages (every row that could be read was still handed over), else
/// scanWithColumns' own answer. Side tables, which older layouts may lack,
/// use scanWithColumns.
Status scanRecordTable(SqliteFile& file, std::string_view table, const RowSink& sink,
                       const TableColumns& columns, FieldValues values = FieldValues::all);

/// The first of `statuses` that is not 0, giving a stop (kStatusStopped) the
/// precedence: how a decoder that read several tables answers.
Status firstProblem(std::initializer_list<Status> statuses);

/// True when column `column` is what `wanted` names (see FieldColumn::name).
bool columnNameMatches(std::string_view column, std::string_view wanted);

} // namespace orvelle
