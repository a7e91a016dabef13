#include "cli/Json.h"

#include "core/Text.h"

#include <cmath>
#include <cstdio>

namespace orvelle::cli {

std::string JsonWriter::quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            // Copy one UTF-8 sequence when it is valid, else emit U+FFFD for the byte.
            std::size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
            if (len > 1 && i + len <= text.size() && isValidUtf8(text.substr(i, len))) {
                out.append(text.substr(i, len));
                i += len;
            } else {
                out.append("\xEF\xBF\xBD");
                ++i;
            }
            continue;
        }
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out.append(buf);
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
        ++i;
    }
    out.push_back('"');
    return out;
}

void JsonWriter::newline() {
    if (!m_pretty) return;
    m_out << '\n';
    for (std::size_t i = 0; i < m_levels.size(); ++i) m_out << "  ";
}

void JsonWriter::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_levels.empty()) {
        if (!m_levels.back().empty) m_out << ',';
        m_levels.back().empty = false;
        newline();
    }
}

JsonWriter& JsonWriter::beginObject() {
    beforeValue();
    m_out << '{';
    m_levels.push_back({true});
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    const bool wasEmpty = m_levels.back().empty;
    m_levels.pop_back();
    if (!wasEmpty) newline();
    m_out << '}';
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    beforeValue();
    m_out << '[';
    m_levels.push_back({false});
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    const bool wasEmpty = m_levels.back().empty;
    m_levels.pop_back();
    if (!wasEmpty) newline();
    m_out << ']';
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    m_out << quote(name) << (m_pretty ? ": " : ":");
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beforeValue();
    m_out << quote(text);
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    beforeValue();
    m_out << number;
    return *this;
}

JsonWriter& JsonWriter::value(std::uint64_t number) {
    beforeValue();
    m_out << number;
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    beforeValue();
    if (!std::isfinite(number)) {
        m_out << "null";
    } else {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", number);
        std::string text(buf);
        // Keep floats recognisable as floats.
        if (text.find_first_of(".eE") == std::string::npos) text += ".0";
        m_out << text;
    }
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    m_out << (flag ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    m_out << "null";
    return *this;
}

} // namespace orvelle::cli
