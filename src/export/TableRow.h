#pragma once
/// A row of the table documents (call history, notes, contacts). A row of a
/// deleted record carries the class "deleted" (styled like the deleted chat
/// bubbles) and starts its first cell with the word "Deleted" as text, so
/// that the mark survives a black-and-white print and a copy of the text.

#include <initializer_list>
#include <string>
#include <string_view>

namespace orvelle {

/// The label that starts the first cell of a deleted row.
constexpr std::string_view kDeletedLabelHtml = "<span class=\"deleted_label\">Deleted</span> ";

/// "\t<tr>" (or "\t<tr class=\"deleted\">") + one "<td>" + escaped value +
/// "</td>" per value + "</tr>\r\n".
std::string tableRow(std::initializer_list<std::string_view> values, bool deleted = false);

/// As tableRow, for cells that are HTML already.
std::string tableRowOfHtml(std::initializer_list<std::string_view> cells, bool deleted = false);

} // namespace orvelle
