#include "export/CsvText.h"

namespace orvelle {

std::string_view deletedText(std::uint32_t deleted) {
    return deleted != 0 ? "yes" : "no";
}

std::string csvLine(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) line += ',';
        first = false;
        line += csvField(field);
    }
    line += "\r\n";
    return line;
}

} // namespace orvelle
