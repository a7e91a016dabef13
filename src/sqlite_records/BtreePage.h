#pragma once
/// Reading one b-tree page held in a buffer: its header fields, its cell
/// pointers and, for interior pages, its child pages. Every offset read from
/// the page is checked against the page before use.

#include "sqlite_records/PageMaps.h"
#include "sqlite_records/SqliteFormat.h"

#include <cstdint>
#include <vector>

namespace orvelle {

/// A view of one page buffer. `usableSize` excludes the reserved bytes at the
/// end of the page; nothing past it is read.
class BtreePage {
public:
    /// `bytes` holds the whole page (`bytes.size()` is the page size).
    BtreePage(ByteSpan bytes, std::uint32_t pageIndex, std::uint32_t usableSize);

    /// Offset of the b-tree header: 100 on page 0 (after the file header), else 0.
    std::size_t headerOffset() const { return m_header; }
    std::uint32_t index() const { return m_index; }
    std::uint32_t usableSize() const { return m_usable; }
    ByteSpan bytes() const { return m_bytes; }
    /// The usable part of the page.
    ByteSpan usable() const { return m_bytes.first(m_usable); }

    /// Page type byte (13 table leaf, 5 table interior), 0 when the header lies outside the page.
    std::uint8_t type() const;
    bool isTableLeaf() const { return type() == kPageTypeTableLeaf; }
    bool isTableInterior() const { return type() == kPageTypeTableInterior; }
    bool isIndexPage() const { return type() == kPageTypeIndexInterior || type() == kPageTypeIndexLeaf; }
    std::uint32_t firstFreeblock() const;
    std::uint32_t cellCount() const;
    /// Start of the cell content area (0 is read as 65,536).
    std::uint32_t contentStart() const;
    /// Offset of the cell pointer array (header + 8, or + 12 on interior pages).
    std::size_t cellPointerArrayOffset() const;

    /// The cell pointers in array order, each checked to lie inside the usable
    /// page and beyond the pointer array; pointers that fail are dropped.
    /// The array itself is cut where it would run past the usable page.
    std::vector<std::uint16_t> cellPointers() const;

    /// For an interior page: every child (page number - 1) with its key, and the
    /// right-most child with key -1. Page number 0 (no page) is skipped.
    /// A child that several cells name keeps the first key.
    ChildPageMap childPages() const;

private:
    ByteSpan m_bytes;
    std::uint32_t m_index;
    std::uint32_t m_usable;
    std::size_t m_header;
};

} // namespace orvelle
