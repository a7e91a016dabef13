#pragma once
/// A plain text table for terminal output: columns padded to their widest
/// cell (counted in characters, not bytes), two blanks apart. Cells hold
/// texts from backups (device names, paths), so each is kept as terminalText
/// shows it: a control character cannot reach the terminal, a line break
/// cannot start a row of its own, and widths are those of what is printed.

#include <ostream>
#include <string>
#include <vector>

namespace orvelle::cli {

class TextTable {
public:
    enum class Align { Left, Right };

    /// The header row; `align` per column (left when not given).
    explicit TextTable(std::vector<std::string> header, std::vector<Align> align = {});

    void addRow(std::vector<std::string> cells);
    bool empty() const { return m_rows.empty(); }

    /// Writes the header, a rule and the rows, each line indented by `indent` blanks.
    void print(std::ostream& out, std::size_t indent = 0) const;

private:
    std::vector<std::string> m_header;
    std::vector<Align> m_align;
    std::vector<std::vector<std::string>> m_rows;
};

/// Characters (UTF-8 code points) in `text`.
std::size_t displayWidth(const std::string& text);

} // namespace orvelle::cli
