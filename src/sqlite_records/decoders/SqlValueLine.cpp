#include "sqlite_records/decoders/SqlValueLine.h"

#include "core/CsvField.h"

#include <charconv>
#include <cstdio>

namespace orvelle {

void SqlValueLine::separate() {
    if (!m_first) m_line += ',';
    m_first = false;
}

void SqlValueLine::addRaw(std::string_view field) {
    separate();
    m_line += field;
}

void SqlValueLine::addText(std::string_view text) {
    separate();
    m_line += '"';
    // The dump is opened in spreadsheets too: a text that would run as a formula there starts with "'".
    for (const char c : formulaGuarded(text)) {
        if (c == '"' || c == '\'') m_line += c;
        m_line += c;
    }
    m_line += '"';
}

void SqlValueLine::addInteger(std::int64_t value) {
    separate();
    m_line += std::to_string(value);
}

void SqlValueLine::add(const RecordValue& value) {
    switch (value.kind) {
    case ValueKind::null:
        addRaw("NULL");
        return;
    case ValueKind::integer:
        addInteger(value.integer);
        return;
    case ValueKind::real: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.real);
        addRaw(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
        return;
    }
    case ValueKind::text:
        addText(value.bytes);
        return;
    case ValueKind::blob: {
        separate();
        static constexpr char kHex[] = "0123456789abcdef";
        m_line += "X'";
        for (const char c : value.bytes) {
            const auto byte = static_cast<unsigned char>(c);
            m_line += kHex[byte >> 4];
            m_line += kHex[byte & 0xf];
        }
        m_line += '\'';
        return;
    }
    }
}

std::string dumpHeaderLine(const std::vector<std::string>& columns, std::initializer_list<std::string> extra) {
    std::string line;
    // Column names come from the database's own statement: quoted and guarded like any field.
    for (const std::string& name : columns) {
        if (!line.empty()) line += ',';
        line += csvField(name);
    }
    for (const std::string& name : extra) {
        if (!line.empty()) line += ',';
        line += csvField(name);
    }
    return line + "\r\n";
}

} // namespace orvelle
