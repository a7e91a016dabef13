#include "platform/IniFile.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace orvelle::platform {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

} // namespace

std::optional<std::string> IniSection::value(std::string_view key) const {
    for (const auto& [k, v] : entries)
        if (equalIgnoringCase(k, key)) return v;
    return std::nullopt;
}

IniFile IniFile::parse(std::string_view text) {
    IniFile file;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    IniSection* current = nullptr;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string_view name = trimmed(line.substr(1, line.size() - 2));
            current = nullptr;
            for (auto& section : file.m_sections)
                if (equalIgnoringCase(section.name, name)) current = &section;
            if (!current) current = &file.m_sections.emplace_back(IniSection{std::string(name), {}});
            continue;
        }
        if (!current) continue; // entries before the first section belong to none
        const auto equals = line.find('=');
        const std::string_view key = equals == std::string_view::npos ? line : trimmed(line.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos ? line : line.substr(equals + 1);
        if (current->value(key)) continue; // the first one wins
        current->entries.emplace_back(std::string(key), std::string(value));
    }
    return file;
}

IniFile IniFile::read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text;
    char buffer[64 * 1024];
    while (in && text.size() < kMaxFileBytes) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return parse(text);
}

const IniSection* IniFile::section(std::string_view name) const {
    for (const auto& section : m_sections)
        if (equalIgnoringCase(section.name, name)) return &section;
    return nullptr;
}

std::string IniFile::value(std::string_view sectionName, std::string_view key, std::string_view fallback) const {
    if (const IniSection* found = section(sectionName))
        if (auto v = found->value(key)) return *v;
    return std::string(fallback);
}

void IniFile::set(std::string_view sectionName, std::string_view key, std::string_view value) {
    IniSection* target = nullptr;
    for (auto& section : m_sections)
        if (equalIgnoringCase(section.name, sectionName)) target = &section;
    if (!target) target = &m_sections.emplace_back(IniSection{std::string(sectionName), {}});
    for (auto& [k, v] : target->entries)
        if (equalIgnoringCase(k, key)) {
            v = std::string(value);
            return;
        }
    target->entries.emplace_back(std::string(key), std::string(value));
}

std::string IniFile::text() const {
    std::ostringstream out;
    bool first = true;
    for (const auto& section : m_sections) {
        if (!first) out << "\n";
        first = false;
        out << "[" << section.name << "]\n";
        for (const auto& [k, v] : section.entries) out << k << "=" << v << "\n";
    }
    return out.str();
}

bool IniFile::write(const std::filesystem::path& path) const {
    std::filesystem::path temporary = path;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        const std::string content = text();
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) std::filesystem::remove(temporary, ec);
    return !ec;
}

} // namespace orvelle::platform
