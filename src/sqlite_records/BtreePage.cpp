#include "sqlite_records/BtreePage.h"

#include <algorithm>

namespace orvelle {

BtreePage::BtreePage(ByteSpan bytes, std::uint32_t pageIndex, std::uint32_t usableSize)
    : m_bytes(bytes), m_index(pageIndex),
      m_usable(static_cast<std::uint32_t>(std::min<std::size_t>(usableSize, bytes.size()))),
      m_header(pageIndex == 0 ? kFileHeaderSize : 0) {}

std::uint8_t BtreePage::type() const {
    return m_header + kLeafHeaderSize <= m_usable ? m_bytes[m_header] : 0;
}

std::uint32_t BtreePage::firstFreeblock() const {
    return type() ? readBigEndian16(m_bytes.data() + m_header + kPageFirstFreeblockOffset) : 0;
}

std::uint32_t BtreePage::cellCount() const {
    return type() ? readBigEndian16(m_bytes.data() + m_header + kPageCellCountOffset) : 0;
}

std::uint32_t BtreePage::contentStart() const {
    if (!type()) return 0;
    const std::uint32_t start = readBigEndian16(m_bytes.data() + m_header + kPageContentStartOffset);
    return start == 0 ? kLargestPageSize : start;
}

std::size_t BtreePage::cellPointerArrayOffset() const {
    return m_header + (isTableInterior() ? kInteriorHeaderSize : kLeafHeaderSize);
}

std::vector<std::uint16_t> BtreePage::cellPointers() const {
    std::vector<std::uint16_t> out;
    const std::uint8_t pageType = type();
    if (!pageType) return out;
    const std::size_t array = cellPointerArrayOffset();
    if (array > m_usable) return out;
    const std::size_t fit = (m_usable - array) / 2;
    const std::size_t count = std::min<std::size_t>(cellCount(), fit);
    const std::size_t arrayEnd = array + 2 * count;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t cell = readBigEndian16(m_bytes.data() + array + 2 * i);
        if (cell < arrayEnd || cell >= m_usable) continue;
        out.push_back(static_cast<std::uint16_t>(cell));
    }
    return out;
}

ChildPageMap BtreePage::childPages() const {
    ChildPageMap children;
    if (!isTableInterior()) return children;
    for (std::uint16_t cell : cellPointers()) {
        if (cell + 4u > m_usable) continue;
        const std::uint32_t child = readBigEndian32(m_bytes.data() + cell);
        if (child == 0) continue;
        const Varint key = readVarint(m_bytes.data() + cell + 4, m_usable - cell - 4u);
        children.emplace(child - 1, static_cast<std::int64_t>(key.value));
    }
    const std::uint32_t right = readBigEndian32(m_bytes.data() + m_header + kPageRightChildOffset);
    if (right != 0) children.emplace(right - 1, -1);
    return children;
}

} // namespace orvelle
