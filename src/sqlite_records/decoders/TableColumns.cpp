#include "sqlite_records/decoders/TableColumns.h"

#include "core/Text.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableSchema.h"

#include <algorithm>

namespace orvelle {

bool columnNameMatches(std::string_view column, std::string_view wanted) {
    if (wanted.empty() || wanted.front() != '*') return equalsIgnoreCase(column, wanted);
    // Full-text content columns are numbered: c0First, c15Phone, ...
    if (column.size() < 2 || (column[0] != 'c' && column[0] != 'C')) return false;
    std::size_t pos = 1;
    while (pos < column.size() && column[pos] >= '0' && column[pos] <= '9')
        ++pos;
    if (pos == 1) return false;
    return equalsIgnoreCase(column.substr(pos), wanted.substr(1));
}

TableColumns TableColumns::fromSchema(const TableSchema& schema, std::span<const FieldColumn> fields) {
    TableColumns result;
    result.m_fromStatement = true;
    result.m_columnCount = schema.columnCount();
    const auto& columns = schema.columns();
    for (const auto& field : fields) {
        int position = -1;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columnNameMatches(columns[i], field.name)) {
                position = static_cast<int>(i);
                break;
            }
        }
        result.m_positions.push_back(position);
    }
    return result;
}

TableColumns TableColumns::fixed(std::span<const FieldColumn> fields, std::uint32_t fallbackCount) {
    TableColumns result;
    result.m_columnCount = fallbackCount;
    for (const auto& field : fields)
        result.m_positions.push_back(field.fallbackPosition);
    return result;
}

TableColumns TableColumns::resolve(const SqliteFile& file, std::string_view table,
                                   std::span<const FieldColumn> fields, std::uint32_t fallbackCount) {
    if (auto schema = TableSchema::load(file, table); schema && !schema->withoutRowid())
        return fromSchema(*schema, fields);
    return fixed(fields, fallbackCount);
}

std::uint32_t TableColumns::valueColumns() const {
    int highest = -1;
    for (const int position : m_positions)
        highest = std::max(highest, position);
    return static_cast<std::uint32_t>(highest + 1);
}

namespace {

Status scanColumns(SqliteFile& file, std::string_view table, const RowSink& sink, const TableColumns& columns,
                   FieldValues values, ScanStats* stats) {
    ScanOptions options;
    options.stats = stats;
    options.columnCount = columns.columnCount();
    // With no field placed, every value is decoded (0 is "all").
    if (values == FieldValues::fieldsOnly && columns.valueColumns() != 0) {
        options.valueColumns = columns.valueColumns();
        options.wantedColumns = columns.positions();
    }
    if (columns.fromStatement() || options.columnCount != 0) return scanTable(file, table, sink, options);
    ScanOptions live = options;
    live.carvedRows = false;
    live.freelistRows = false;
    const Status status = scanTable(file, table, sink, live);
    if (status != kStatusOk) return status;
    ScanOptions deleted = options;
    deleted.liveRows = false;
    ScanStats deletedStats;
    if (stats) deleted.stats = &deletedStats;
    const Status deletedStatus = scanTable(file, table, sink, deleted);
    if (stats) stats->damagedPages = std::max(stats->damagedPages, deletedStats.damagedPages);
    return deletedStatus;
}

} // namespace

Status scanWithColumns(SqliteFile& file, std::string_view table, const RowSink& sink,
                       const TableColumns& columns, FieldValues values) {
    return scanColumns(file, table, sink, columns, values, nullptr);
}

Status scanRecordTable(SqliteFile& file, std::string_view table, const RowSink& sink,
                       const TableColumns& columns, FieldValues values) {
    ChildPageMap roots;
    if (const Status st = file.findTableRoots(table, roots); st != kStatusOk || roots.empty())
        return kStatusTableMissing;
    ScanStats stats;
    const Status status = scanColumns(file, table, sink, columns, values, &stats);
    if (status != kStatusOk) return status;
    return stats.damagedPages > 0 ? kStatusDatabaseDamaged : kStatusOk;
}

Status firstProblem(std::initializer_list<Status> statuses) {
    Status first = kStatusOk;
    for (const Status status : statuses) {
        if (status == kStatusStopped) return status;
        if (first == kStatusOk) first = status;
    }
    return first;
}

} // namespace orvelle
