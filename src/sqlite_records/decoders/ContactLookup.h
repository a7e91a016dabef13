#pragma once
/// Contact names for addresses and numbers: the name of the first address-book
/// row (in decode order) whose phone text contains the address as a substring.
/// Phone texts hold every written form of a number ("(919) 888-7386
/// +19198887386 ..."), so a substring match finds a number however the
/// message or call database wrote it.
///
/// Look-ups go through a trigram index of the phone texts and are cached per
/// distinct address, so resolving every message of a large database stays
/// near-linear.

#include "core/ItemRecords.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvelle {

class ContactLookup {
public:
    ContactLookup() = default;
    /// `rows` are the address-book rows as decoded (live and deleted, with or
    /// without phone text), in decode order.
    explicit ContactLookup(const std::vector<ContactRecord>& rows);

    /// The name of the first row whose phone text contains `address`; empty
    /// when `address` is empty or no row matches.
    const std::string& nameFor(std::string_view address);

    bool empty() const { return m_phones.empty(); }

private:
    std::size_t firstContaining(std::string_view needle) const;

    std::vector<std::string> m_phones;
    std::vector<std::string> m_names;
    /// Trigram -> ascending row indexes whose phone text holds it.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> m_trigrams;
    std::unordered_map<std::string, std::string> m_cache;
    std::string m_none;
};

} // namespace orvelle
