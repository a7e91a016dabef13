#include "export/TableRow.h"

#include "export/HtmlText.h"

namespace orvelle {

std::string tableRowOfHtml(std::initializer_list<std::string_view> cells) {
    std::string row = "\t<tr>";
    for (std::string_view cell : cells) {
        row += "<td>";
        row += cell;
        row += "</td>";
    }
    row += "</tr>\r\n";
    return row;
}

std::string tableRow(std::initializer_list<std::string_view> values) {
    std::string row = "\t<tr>";
    for (std::string_view value : values) {
        row += "<td>";
        row += htmlEscape(value);
        row += "</td>";
    }
    row += "</tr>\r\n";
    return row;
}

} // namespace orvelle
