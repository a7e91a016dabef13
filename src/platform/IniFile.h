#pragma once
/// Settings and language files in the INI form the program ships:
///
///   [Section]
///   key=value
///
/// Read as UTF-8 (a leading byte-order mark is skipped). Lines are split at
/// their first "=": everything after it is the value, verbatim (no unescaping,
/// no list splitting, further "=" kept); a line without "=" is its own key and
/// value. Blank lines and lines starting with ";" are skipped; white space
/// around a line is dropped. A key that occurs twice in a section keeps its
/// first value. Sections and entries keep their file order.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvelle::platform {

/// One section: its entries in file order.
struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;

    /// The value of `key`, or nothing when the section lacks it.
    std::optional<std::string> value(std::string_view key) const;
};

/// A whole INI file in memory.
class IniFile {
public:
    /// Parses `text`.
    static IniFile parse(std::string_view text);
    /// Reads and parses `path`; an empty file when it cannot be read.
    static IniFile read(const std::filesystem::path& path);

    const std::vector<IniSection>& sections() const { return m_sections; }
    /// The section called `name` (case-insensitive, as the system's INI functions), or null.
    const IniSection* section(std::string_view name) const;
    /// The value of `key` in `section`, or `fallback`.
    std::string value(std::string_view section, std::string_view key, std::string_view fallback = {}) const;

    /// Sets `key` in `section` (both added when missing), keeping the rest.
    void set(std::string_view section, std::string_view key, std::string_view value);
    /// The file as text.
    std::string text() const;
    /// Writes the file to `path` through a temporary file; false when it cannot be written.
    bool write(const std::filesystem::path& path) const;

private:
    std::vector<IniSection> m_sections;
};

} // namespace orvelle::platform
