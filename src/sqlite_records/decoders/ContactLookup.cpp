#include "sqlite_records/decoders/ContactLookup.h"

#include <limits>

namespace orvelle {

namespace {
constexpr std::size_t kGram = 3;
constexpr std::size_t kNotFound = std::numeric_limits<std::size_t>::max();

std::uint32_t trigramAt(std::string_view text, std::size_t pos) {
    return (std::uint32_t(static_cast<unsigned char>(text[pos])) << 16) |
           (std::uint32_t(static_cast<unsigned char>(text[pos + 1])) << 8) |
           std::uint32_t(static_cast<unsigned char>(text[pos + 2]));
}
} // namespace

ContactLookup::ContactLookup(const std::vector<ContactRecord>& rows) {
    m_phones.reserve(rows.size());
    m_names.reserve(rows.size());
    for (const auto& row : rows) {
        const auto index = static_cast<std::uint32_t>(m_phones.size());
        m_phones.push_back(row.phones);
        m_names.push_back(row.name);
        const std::string_view phones = row.phones;
        for (std::size_t pos = 0; pos + kGram <= phones.size(); ++pos) {
            auto& postings = m_trigrams[trigramAt(phones, pos)];
            if (postings.empty() || postings.back() != index) postings.push_back(index);
        }
    }
}

std::size_t ContactLookup::firstContaining(std::string_view needle) const {
    if (needle.size() < kGram) {
        for (std::size_t i = 0; i < m_phones.size(); ++i)
            if (m_phones[i].find(needle) != std::string::npos) return i;
        return kNotFound;
    }
    // Candidates: the rows holding the needle's rarest trigram; every row that
    // contains the needle holds all its trigrams, so none is missed.
    const std::vector<std::uint32_t>* rarest = nullptr;
    for (std::size_t pos = 0; pos + kGram <= needle.size(); ++pos) {
        const auto it = m_trigrams.find(trigramAt(needle, pos));
        if (it == m_trigrams.end()) return kNotFound;
        if (!rarest || it->second.size() < rarest->size()) rarest = &it->second;
    }
    for (const std::uint32_t i : *rarest)
        if (m_phones[i].find(needle) != std::string::npos) return i;
    return kNotFound;
}

const std::string& ContactLookup::nameFor(std::string_view address) {
    if (address.empty() || m_phones.empty()) return m_none;
    const std::string key(address);
    if (const auto it = m_cache.find(key); it != m_cache.end()) return it->second;
    const std::size_t found = firstContaining(address);
    return m_cache.emplace(key, found == kNotFound ? std::string() : m_names[found]).first->second;
}

} // namespace orvelle
