#pragma once
/// Reading the fields of one row handed over by the table driver: values by
/// column position, texts with the acceptance rule of device texts, keys and
/// dates.

#include "sqlite_records/Record.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orvelle {

struct Row;

/// The value of column `position` of `row`; nullptr when the position is -1,
/// beyond the record's columns, or the column's serial type was lost.
const RecordValue* columnValue(const Row& row, int position);

enum class TextField {
    absent,   ///< NULL, not a text, or no such column
    ok,       ///< a usable text (possibly empty)
    rejected, ///< malformed UTF-8, an embedded zero character, or U+FFFD
};

/// The text of column `position` into `out` (cleared first). Texts are UTF-8;
/// one that is malformed, holds a zero character or U+FFFD makes its row invalid.
TextField readText(const Row& row, int position, std::string& out);

/// True when `bytes` is a usable device text (see TextField::rejected).
bool isUsableText(std::string_view bytes);

/// An integer key: serial types 1 to 6, and the constants 0 and 1 (serial
/// types 8 and 9), as which SQLite stores the keys 0 and 1.
std::optional<std::int64_t> readKey(const Row& row, int position);

/// An Apple time in whole seconds: an integer (seconds; nanoseconds when its
/// magnitude is 10^11 or more, as recent devices store it) or a float
/// (seconds, truncated). NULL and the constants 0 and 1 give nothing.
std::optional<std::int64_t> readAppleSeconds(const Row& row, int position);

/// An integer or a float (truncated) of any width.
std::optional<std::int64_t> readNumber(const Row& row, int position);

/// True when the column holds an integer or a float.
bool holdsNumber(const Row& row, int position);

} // namespace orvelle
