#pragma once
/// One row of a table written as a line of SQL values, the form in which the
/// row exports hand rows (live and deleted) to other tools:
///
///   NULL            NULL
///   integer         decimal digits (the constants 0 and 1 as 0 and 1)
///   float           shortest decimal that reads back the same double
///   text            in double quotes, single and double quotes doubled; a
///                   text a spreadsheet would run as a formula starts with
///                   "'" (see core/CsvField.h)
///   blob            X'…' with two lower-case hex digits per byte
///
/// Values are separated by "," (one field per column, so columns stay aligned
/// whatever their types) and the line ends with "\r\n".
///
/// A dump starts with a header line naming the columns when the table's
/// statement can be read; its lines then hold every column of the statement
/// (NULL for the ones a short row lacks) followed by readable copies of its
/// date columns (local time, the form the documents show).

#include "sqlite_records/Record.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class SqlValueLine {
public:
    /// Appends one value as its column's field.
    void add(const RecordValue& value);
    /// Appends an already rendered field.
    void addRaw(std::string_view field);
    /// Appends a text field (quoted, quotes doubled).
    void addText(std::string_view text);
    void addInteger(std::int64_t value);

    /// The finished line with its "\r\n".
    std::string finish() const { return m_line + "\r\n"; }

private:
    void separate();

    std::string m_line;
    bool m_first = true;
};

/// The header line of a dump: the column names and then `extra` as CSV
/// fields, separated by "," and ended by "\r\n".
std::string dumpHeaderLine(const std::vector<std::string>& columns, std::initializer_list<std::string> extra);

} // namespace orvelle
