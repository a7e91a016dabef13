#pragma once
/// Depth-first walk of a table b-tree that hands each table leaf page to a
/// visitor. Children are taken in ascending page order. The walk keeps one
/// buffer per level (a page, or a run of sibling pages read together) and a
/// visited bitmap (one bit per page of the file), so a
/// page that lists itself, an ancestor or a page seen before as a child is not
/// entered again; the depth is capped as well.

#include "core/Status.h"
#include "sqlite_records/SqliteFormat.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orvelle {

class BtreePage;
class SqliteFile;

class BtreeWalker {
public:
    /// Answers 0 to go on; any other value ends the walk and is returned.
    using LeafVisitor = std::function<Status(const BtreePage& leaf)>;

    /// Deepest b-tree the walk enters (a real tree of 2^32 pages is far shallower).
    static constexpr std::size_t kMaxDepth = 40;
    /// Children that follow one another in the file are read together, up to
    /// this many bytes at once.
    static constexpr std::size_t kMaxReadBytes = 256 * 1024;

    explicit BtreeWalker(const SqliteFile& file);

    /// Walks the tree rooted at page `rootIndex` (read first). Pages seen by an
    /// earlier walk of this walker are skipped. Returns 0, the first page-read
    /// error, or the visitor's non-zero answer.
    Status walk(std::uint32_t rootIndex, const LeafVisitor& visitor);
    /// The same, with the root page already in `rootBytes`.
    Status walk(ByteSpan rootBytes, std::uint32_t rootIndex, const LeafVisitor& visitor);

    /// Marks `pageIndex` as seen; false when it was seen already or lies
    /// outside the file.
    bool markVisited(std::uint32_t pageIndex);
    bool visited(std::uint32_t pageIndex) const;
    /// Forgets every page seen.
    void reset();

    /// Pages the walks reached as a root or a child that are no b-tree pages
    /// at all: the tree is damaged there, and the rows below them were not read.
    std::uint64_t damagedPages() const { return m_damagedPages; }

private:
    Status walkPage(ByteSpan bytes, std::uint32_t pageIndex, std::size_t depth, const LeafVisitor& visitor);

    const SqliteFile& m_file;
    std::vector<bool> m_visited;
    std::vector<std::vector<std::uint8_t>> m_buffers; // one per depth
    std::uint64_t m_damagedPages = 0;
};

} // namespace orvelle
