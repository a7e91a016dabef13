#pragma once
/// A row of the table documents (call history, notes, contacts).

#include <initializer_list>
#include <string>
#include <string_view>

namespace orvelle {

/// "\t<tr>" + one "<td>" + escaped value + "</td>" per value + "</tr>\r\n".
std::string tableRow(std::initializer_list<std::string_view> values);

/// As tableRow, for cells that are HTML already.
std::string tableRowOfHtml(std::initializer_list<std::string_view> cells);

} // namespace orvelle
