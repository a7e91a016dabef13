#include "sqlite_records/TableSchema.h"

#include "core/Text.h"
#include "sqlite_records/SqliteFile.h"

namespace orvelle {

Status readSchema(const SqliteFile& file, std::vector<SchemaEntry>& out) {
    return kStatusOk;
}

std::optional<TableSchema> TableSchema::parse(std::string_view createSql) {
    return std::nullopt;
}

std::optional<TableSchema> TableSchema::load(const SqliteFile& file, std::string_view tableName) {
    return std::nullopt;
}

int TableSchema::columnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (equalsIgnoreCase(m_columns[i], name)) return static_cast<int>(i);
    return -1;
}

} // namespace orvelle
