#pragma once
/// Builds a backup's Info.plist: an ordered dictionary of string and date
/// values, written as iTunes writes it (XML, one element per line) or as a
/// binary property list. Starts with the keys iTunes writes, in its order.

#include <filesystem>
#include <string>
#include <vector>

namespace orvelle::test {

class InfoPlistWriter {
public:
    struct Entry {
        std::string key;
        std::string value;
        bool isDate = false; ///< value is UTC "YYYY-MM-DDThh:mm:ssZ"
    };

    /// The keys of a typical iPhone backup.
    InfoPlistWriter();

    /// Sets a string value, keeping the key's place (appended when new).
    InfoPlistWriter& set(const std::string& key, const std::string& value);
    /// Sets a date value ("YYYY-MM-DDThh:mm:ssZ").
    InfoPlistWriter& setDate(const std::string& key, const std::string& utcText);
    InfoPlistWriter& remove(const std::string& key);
    /// Moves `key` to just before `before`.
    InfoPlistWriter& moveBefore(const std::string& key, const std::string& before);

    const std::vector<Entry>& entries() const { return m_entries; }

    std::string toXml() const;
    std::string toBinary() const;

private:
    std::vector<Entry> m_entries;
};

/// `text` with XML's special characters escaped.
std::string xmlEscape(const std::string& text);

} // namespace orvelle::test
