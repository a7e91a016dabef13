#include "sqlite_records/BtreeWalker.h"

#include "sqlite_records/BtreePage.h"
#include "sqlite_records/SqliteFile.h"

#include <algorithm>
#include <iterator>

namespace orvelle {

BtreeWalker::BtreeWalker(const SqliteFile& file) : m_file(file) {
    m_visited.assign(static_cast<std::size_t>(file.pageCount()), false);
}

bool BtreeWalker::markVisited(std::uint32_t pageIndex) {
    if (pageIndex >= m_visited.size() || m_visited[pageIndex]) return false;
    m_visited[pageIndex] = true;
    return true;
}

bool BtreeWalker::visited(std::uint32_t pageIndex) const {
    return pageIndex < m_visited.size() && m_visited[pageIndex];
}

void BtreeWalker::reset() {
    m_visited.assign(m_visited.size(), false);
}

Status BtreeWalker::walk(std::uint32_t rootIndex, const LeafVisitor& visitor) {
    if (m_buffers.empty()) m_buffers.resize(1);
    if (const Status st = m_file.readPage(rootIndex, m_buffers[0]); st != kStatusOk) return st;
    // The root's buffer is level 0; walkPage uses levels from 1 below it.
    return walk(m_buffers[0], rootIndex, visitor);
}

Status BtreeWalker::walk(ByteSpan rootBytes, std::uint32_t rootIndex, const LeafVisitor& visitor) {
    if (visited(rootIndex)) return kStatusOk;
    markVisited(rootIndex);
    return walkPage(rootBytes, rootIndex, 0, visitor);
}

Status BtreeWalker::walkPage(ByteSpan bytes, std::uint32_t pageIndex, std::size_t depth,
                             const LeafVisitor& visitor) {
    const BtreePage page(bytes, pageIndex, m_file.usableSize());
    if (page.isTableLeaf()) return visitor(page);
    if (!page.isTableInterior()) {
        // The roots of a table's indexes are walked too and hold no rows.
        if (!page.isIndexPage()) ++m_damagedPages;
        return kStatusOk;
    }
    if (depth + 1 >= kMaxDepth) return kStatusOk;
    const ChildPageMap children = page.childPages();
    const std::size_t level = depth + 1;
    if (m_buffers.size() <= level) m_buffers.resize(level + 1);
    const std::size_t pageSize = m_file.pageSize();
    const std::size_t maxRun = std::max<std::size_t>(1, kMaxReadBytes / std::max<std::size_t>(pageSize, 1));
    for (auto it = children.begin(); it != children.end();) {
        if (visited(it->first)) {
            ++it;
            continue;
        }
        // Children that follow one another in the file are read at once.
        const std::uint32_t first = it->first;
        std::size_t run = 1;
        for (auto next = std::next(it);
             run < maxRun && next != children.end() && next->first == first + run && !visited(next->first);
             ++next)
            ++run;
        bool together = false;
        if (run > 1) {
            std::vector<std::uint8_t>& buffer = m_buffers[level];
            buffer.resize(run * pageSize);
            together =
                m_file.readAt(std::uint64_t(first) * pageSize, buffer.size(), buffer.data()) == kStatusOk;
        }
        // Deeper levels have buffers of their own: this one stays put.
        const ByteSpan pages(m_buffers[level]);
        for (std::size_t k = 0; k < run; ++k, ++it) {
            const std::uint32_t child = it->first;
            // A page before it may have reached it.
            if (visited(child)) continue;
            ByteSpan bytes;
            if (together) {
                bytes = pages.subspan(k * pageSize, pageSize);
            } else {
                // A child outside the file fails to read and ends the walk with that error.
                if (const Status st = m_file.readPage(child, m_buffers[level]); st != kStatusOk) return st;
                bytes = m_buffers[level];
            }
            markVisited(child);
            if (const Status st = walkPage(bytes, child, level, visitor); st != kStatusOk) return st;
        }
    }
    return kStatusOk;
}

} // namespace orvelle
