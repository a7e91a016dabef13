#include "export/HtmlText.h"

namespace orvelle {

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "<br>";
            break;
        case '\n':
            out += "<br>";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void replacePlaceholder(std::string& text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty()) return;
    std::size_t at = text.find(placeholder);
    while (at != std::string::npos) {
        text.replace(at, placeholder.size(), value);
        at = text.find(placeholder, at + value.size());
    }
}

} // namespace orvelle
