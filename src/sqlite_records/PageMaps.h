#pragma once
/// The two page maps of the page reader.

#include <cstdint>
#include <map>
#include <vector>

namespace orvelle {

/// 0-based page number (ascending) -> byte offsets within that page. For live
/// data the offsets are the page's cell pointers in cell-pointer-array order;
/// for deleted data they are the starts of candidate records (the first serial
/// type read), in the order the carving sources found them.
using CellOffsetMap = std::map<std::uint32_t, std::vector<std::uint16_t>>;

/// 0-based page number (ascending) -> the integer key of the interior cell that
/// points to the page, or -1 for a right-most child and for a table's root page.
using ChildPageMap = std::map<std::uint32_t, std::int64_t>;

} // namespace orvelle
