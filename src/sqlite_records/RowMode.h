#pragma once
/// How a row routine reads the bytes it is given, and where a row was found.

#include <cstdint>
#include <string_view>

namespace orvelle {

/// How a row's bytes are to be read.
enum class RowMode : std::uint8_t {
    /// A complete cell: payload length, rowid, header length, serial types,
    /// body; overflow pages are followed.
    cell,
    /// A candidate from free space: decoding starts at a serial type; the
    /// rowid is lost (reported as 0) and no overflow is followed.
    headerless,
};

/// Where a row was found.
enum class RowSource : std::uint8_t {
    live,      ///< a cell of the table's b-tree (deleted flag 0)
    freeblock, ///< a freeblock of a table page
    tail,      ///< the space behind the highest cell of a page
    gap,       ///< the unallocated gap between the cell pointers and the cells
    stale,     ///< a cell pointer left behind the live ones
    freelist,  ///< a cell of a page on the freelist (deleted flag 1)
    wal,       ///< a version of a page in the write-ahead log that the database does not use (deleted flag 1)
};

/// "cell" or "headerless".
std::string_view rowModeName(RowMode mode);
/// "live", "freeblock", "tail", "gap", "stale", "freelist" or "wal".
std::string_view rowSourceName(RowSource source);

} // namespace orvelle
