#include "export/TableRow.h"

#include "export/HtmlText.h"

namespace orvelle {

namespace {

template <typename Cell> std::string rowOf(std::initializer_list<std::string_view> cells, bool deleted, Cell cell) {
    std::string row = deleted ? "\t<tr class=\"deleted\">" : "\t<tr>";
    bool first = true;
    for (std::string_view value : cells) {
        row += "<td>";
        if (first && deleted) row += kDeletedLabelHtml;
        first = false;
        row += cell(value);
        row += "</td>";
    }
    row += "</tr>\r\n";
    return row;
}

} // namespace

std::string tableRowOfHtml(std::initializer_list<std::string_view> cells, bool deleted) {
    return rowOf(cells, deleted, [](std::string_view html) { return std::string(html); });
}

std::string tableRow(std::initializer_list<std::string_view> values, bool deleted) {
    return rowOf(values, deleted, [](std::string_view value) { return htmlEscape(value); });
}

} // namespace orvelle
