#pragma once
/// The order in which decoders hand back records: by date text, ascending,
/// records of equal dates in decode order. Date texts are the program's own
/// "YYYY-MM-DD hh:mm:ss" (or empty), digits and separators only, so comparing
/// them byte by byte is the same as comparing them without regard to case, and
/// their digits read as one number order them the same way. Indexes are sorted
/// rather than the records, which are large.

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace orvelle {

/// The digits of a date text as one number ("2020-01-01 00:00:00" ->
/// 20200101000000); 0 for an empty text; false for any other text.
inline bool dateKey(const std::string& date, std::uint64_t& key) {
    key = 0;
    if (date.empty()) return true;
    if (date.size() != 19) return false;
    // The digits of "YYYY-MM-DD hh:mm:ss" (the separators are not read).
    static constexpr std::size_t kDigits[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
    for (const std::size_t i : kDigits) {
        const auto digit = static_cast<unsigned>(static_cast<unsigned char>(date[i]) - '0');
        if (digit > 9) return false;
        key = key * 10 + digit;
    }
    // Keys of dates are above 0, the key of the empty text.
    key += 1;
    return true;
}

/// Positions in the order of `keys` (dateKey values), stable.
inline std::vector<std::uint32_t> keyOrder(const std::vector<std::uint64_t>& keys) {
    std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed(keys.size());
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        keyed[i] = {keys[i], i};
    // (key, position) pairs are unique, so any sort gives the one stable
    // order. Records mostly come in date order already (live rows by rowid,
    // then the deleted ones): only what follows the sorted run at the front
    // is sorted and then merged with it.
    const auto run = std::is_sorted_until(keyed.begin(), keyed.end());
    std::sort(run, keyed.end());
    std::inplace_merge(keyed.begin(), run, keyed.end());
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].second;
    return order;
}

/// Positions of `records` in date order (stable).
template <typename Record> std::vector<std::uint32_t> dateOrder(const std::vector<Record>& records) {
    std::vector<std::uint64_t> keys(records.size());
    bool numeric = true;
    for (std::uint32_t i = 0; i < records.size() && numeric; ++i)
        numeric = dateKey(records[i].date, keys[i]);
    if (numeric) return keyOrder(keys);
    std::vector<std::uint32_t> order(records.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return records[a].date < records[b].date; });
    return order;
}

/// `records` in the order `order` gives, each record moved once.
template <typename Record>
std::vector<Record> reordered(std::vector<Record> records, const std::vector<std::uint32_t>& order) {
    std::vector<Record> sorted;
    sorted.reserve(records.size());
    for (const std::uint32_t i : order)
        sorted.push_back(std::move(records[i]));
    return sorted;
}

/// `records` sorted by date (stable), each record moved once.
template <typename Record> std::vector<Record> sortedByDate(std::vector<Record> records) {
    const std::vector<std::uint32_t> order = dateOrder(records);
    return reordered(std::move(records), order);
}

} // namespace orvelle
