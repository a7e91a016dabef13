#include "cli/TextTable.h"

#include "core/TerminalText.h"

#include <algorithm>

namespace orvelle::cli {

std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++width;
    return width;
}

TextTable::TextTable(std::vector<std::string> header, std::vector<Align> align)
    : m_header(std::move(header)), m_align(std::move(align)) {
    m_align.resize(m_header.size(), Align::Left);
    for (std::string& cell : m_header)
        cell = terminalText(cell);
}

void TextTable::addRow(std::vector<std::string> cells) {
    cells.resize(m_header.size());
    for (std::string& cell : cells)
        cell = terminalText(cell);
    m_rows.push_back(std::move(cells));
}

void TextTable::print(std::ostream& out, std::size_t indent) const {
    std::vector<std::size_t> widths(m_header.size());
    for (std::size_t i = 0; i < m_header.size(); ++i)
        widths[i] = displayWidth(m_header[i]);
    for (const auto& row : m_rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], displayWidth(row[i]));

    auto line = [&](const std::vector<std::string>& cells) {
        std::string text(indent, ' ');
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::size_t pad = widths[i] - displayWidth(cells[i]);
            const bool last = i + 1 == cells.size();
            if (m_align[i] == Align::Right) text.append(pad, ' ');
            text += cells[i];
            if (m_align[i] == Align::Left && !last) text.append(pad, ' ');
            if (!last) text += "  ";
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out << text << '\n';
    };
    line(m_header);
    std::vector<std::string> rule;
    for (std::size_t w : widths)
        rule.emplace_back(w, '-');
    line(rule);
    for (const auto& row : m_rows)
        line(row);
}

} // namespace orvelle::cli
