#include "sqlite_records/decoders/KeyedTexts.h"

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/decoders/RowValues.h"

namespace orvelle {

KeyedTexts loadKeyedTexts(SqliteFile& file, std::string_view table, std::span<const FieldColumn> fields) {
    KeyedTexts texts;
    const TableColumns columns = TableColumns::resolve(file, table, fields, 0);
    std::string value;
    // A table that cannot be read names nothing; its items keep empty names.
    scanWithColumns(
        file, table,
        [&](const Row& row) {
            if (row.rowid == 0) return kStatusInvalid;
            std::string joined;
            for (std::size_t field = 0; field < fields.size(); ++field) {
                if (readText(row, columns[field], value) != TextField::ok || value.empty()) continue;
                if (!joined.empty()) joined += ", ";
                joined += value;
            }
            if (joined.empty()) return kStatusInvalid;
            // Live rows are handed over first, so a live row's text is kept.
            texts.emplace(row.rowid, std::move(joined));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
    return texts;
}

const std::string& keyedText(const KeyedTexts& texts, std::optional<std::int64_t> key) {
    static const std::string kNone;
    if (!key) return kNone;
    const auto it = texts.find(*key);
    return it == texts.end() ? kNone : it->second;
}

} // namespace orvelle
