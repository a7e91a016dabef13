#pragma once
/// Texts that other tables refer to by key: a calendar's title, a list's name,
/// a place. They are read from a table whose key is its row id (an INTEGER
/// PRIMARY KEY, as Core Data's Z_PK and the calendar tables' ROWID are).
///
/// Live rows come first; a deleted row that kept its row id (a cell of a freed
/// page) fills only keys no live row holds, so an item recovered from free
/// space can still be named after a list that was deleted with it. Rows
/// carved from free space have lost their row id and name nothing.

#include "sqlite_records/decoders/TableColumns.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvelle {

class SqliteFile;

using KeyedTexts = std::unordered_map<std::int64_t, std::string>;

/// For every row of `table` with a row id: the non-empty texts of `fields`
/// joined by ", " (rows whose texts are all empty or unusable are left out).
KeyedTexts loadKeyedTexts(SqliteFile& file, std::string_view table, std::span<const FieldColumn> fields);

/// The text of `key` in `texts`, empty when the key is absent.
const std::string& keyedText(const KeyedTexts& texts, std::optional<std::int64_t> key);

} // namespace orvelle
