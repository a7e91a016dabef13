#pragma once
/// The order in which decoders hand back records: by date text, ascending,
/// records of equal dates in decode order. Date texts are the program's own
/// "YYYY-MM-DD hh:mm:ss" (or empty), digits and separators only, so comparing
/// them byte by byte is the same as comparing them without regard to case.
/// Indexes are sorted rather than the records, which are large.

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace orvelle {

/// Positions of `records` in date order (stable).
template <typename Record> std::vector<std::uint32_t> dateOrder(const std::vector<Record>& records) {
    std::vector<std::uint32_t> order(records.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return records[a].date < records[b].date; });
    return order;
}

/// `records` sorted by date (stable), each record moved once.
template <typename Record> std::vector<Record> sortedByDate(std::vector<Record> records) {
    std::vector<Record> sorted;
    sorted.reserve(records.size());
    for (const std::uint32_t i : dateOrder(records)) sorted.push_back(std::move(records[i]));
    return sorted;
}

} // namespace orvelle
