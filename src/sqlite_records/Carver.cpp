#include "sqlite_records/Carver.h"

#include "core/Text.h"
#include "sqlite_records/BtreePage.h"
#include "sqlite_records/BtreeWalker.h"
#include "sqlite_records/Record.h"
#include "sqlite_records/SqliteFile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <map>
#include <memory_resource>

namespace orvelle {

namespace {

// A payload-length and a rowid varint stand before a record header: at most
// 9 + 9 bytes, of which a freeblock header overwrote the first 4.
constexpr std::uint32_t kMaxCellPrefix = 18;
constexpr std::uint32_t kMaxLeftoverPrefix = kMaxCellPrefix - kFreeblockHeaderSize;
// Bytes of message GUID text that must be non-zero at the start of a carved
// `message` body.
constexpr std::uint32_t kGuidLength = 36;
// Freed space may hold a few loose bytes (fragments) between two old cells.
constexpr std::uint32_t kMaxFragment = 3;
// Serial types read while probing one page, per usable byte: real pages need a
// small part of it; a hostile page (say, a table of thousands of columns over a
// 64 KiB page of plausible headers) stops being carved instead of taking
// seconds.
constexpr std::uint64_t kProbeBudgetPerByte = 128;

// Half-open byte ranges of a page claimed by live cells or by candidates
// already taken, keyed by their start (the first range of a start is kept).
// The live cells' ranges are claimed first, all at once, and kept sorted in a
// vector; the candidates' ranges go to a map whose nodes come from a buffer
// that lives as long as the page's carving. Queries see the two as one map.
class ClaimedRanges {
public:
    ClaimedRanges() : m_pool(m_initial.data(), m_initial.size()), m_taken(&m_pool) {}
    ClaimedRanges(const ClaimedRanges&) = delete;
    ClaimedRanges& operator=(const ClaimedRanges&) = delete;

    /// Claims the live cells' ranges (before any other claim).
    void claimLive(std::vector<std::pair<std::uint32_t, std::uint32_t>>& ranges) {
        std::erase_if(ranges, [](const auto& range) { return range.second <= range.first; });
        std::stable_sort(ranges.begin(), ranges.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        const auto last = std::unique(ranges.begin(), ranges.end(),
                                      [](const auto& a, const auto& b) { return a.first == b.first; });
        ranges.erase(last, ranges.end());
        m_live.swap(ranges);
    }

    /// True when [start, end) meets the first range that starts after `start`
    /// or the range that starts last at or before it.
    bool overlaps(std::uint32_t start, std::uint32_t end) const {
        const auto live =
            std::upper_bound(m_live.begin(), m_live.end(), start,
                             [](std::uint32_t value, const auto& range) { return value < range.first; });
        const auto taken = m_taken.upper_bound(start);
        const bool liveAfter = live != m_live.end();
        const bool takenAfter = taken != m_taken.end();
        if (liveAfter || takenAfter) {
            const std::uint32_t next = !takenAfter  ? live->first
                                       : !liveAfter ? taken->first
                                                    : std::min(live->first, taken->first);
            if (next < end) return true;
        }
        const bool liveBefore = live != m_live.begin();
        const bool takenBefore = taken != m_taken.begin();
        if (!liveBefore && !takenBefore) return false;
        const auto livePrevious = liveBefore ? std::prev(live) : live;
        const auto takenPrevious = takenBefore ? std::prev(taken) : taken;
        // The one of the two that starts last (a start is in one of them only).
        if (liveBefore && (!takenBefore || livePrevious->first >= takenPrevious->first))
            return livePrevious->second > start;
        return takenPrevious->second > start;
    }

    /// Claims a candidate's range.
    void add(std::uint32_t start, std::uint32_t end) {
        if (end <= start) return;
        const auto live =
            std::lower_bound(m_live.begin(), m_live.end(), start,
                             [](const auto& range, std::uint32_t value) { return range.first < value; });
        if (live != m_live.end() && live->first == start) return; // the first range of a start stays
        m_taken.emplace(start, end);
    }

private:
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_live;
    std::array<std::byte, 1024> m_initial;
    std::pmr::monotonic_buffer_resource m_pool;
    std::pmr::map<std::uint32_t, std::uint32_t> m_taken;
};

// A record found on the page.
struct Probe {
    std::uint32_t regionStart = 0; // first byte of the record's bytes that were read (header or serial types)
    std::uint32_t start = 0;       // first serial type read
    std::uint32_t end = 0;         // end of the body
    std::int8_t firstColumn = -1;  // 0 when the header showed the record starts at column 0
};

// One way of reading a freed cell's record.
struct Reading {
    Probe probe;
    bool onlyIfExact = false; // taken only when it fills its span exactly
};

class PageCarver {
public:
    friend void orvelle::findFreedPageCandidates(ByteSpan, std::uint32_t, std::uint32_t, const CarveShape&,
                                                 std::vector<Candidate>&);

    PageCarver(const BtreePage& page, const CarveShape& shape, std::vector<Candidate>& out)
        : m_page(page), m_data(page.bytes().data()), m_usable(page.usableSize()), m_shape(shape),
          m_columns(shape.columnCount),
          m_searchColumns(shape.searchColumnCount ? shape.searchColumnCount : shape.columnCount), m_out(out),
          m_budget(kProbeBudgetPerByte * page.usableSize()) {}

    void run() {
        if (m_columns == 0 || !m_page.isTableLeaf()) return;
        m_pointers = m_page.cellPointers();
        m_arrayEnd = static_cast<std::uint32_t>(std::min<std::size_t>(
            m_page.cellPointerArrayOffset() + 2 * std::size_t(m_page.cellCount()), m_usable));
        claimLiveCells();
        freeblocks();
        tail();
        gap();
        stalePointers();
    }

private:
    // --- measuring records --------------------------------------------------

    // Length from `q` (a serial type) to the end of the body of `count` serial
    // types; the types must end exactly at `typesEnd` when it is not 0. 0 when
    // this is no record ending at or before `limit`, all its values are NULL or
    // its body is all zero bytes.
    std::uint32_t measure(std::uint32_t q, std::uint64_t count, std::uint32_t typesEnd, std::uint32_t limit) {
        if (q >= limit) return 0;
        const std::uint32_t typesLimit = typesEnd ? typesEnd : limit;
        std::uint32_t pos = q;
        std::uint64_t body = 0;
        bool anyValue = false;
        for (std::uint64_t i = 0; i < count; ++i) {
            if (pos >= typesLimit || m_budget == 0) return 0;
            --m_budget;
            const std::uint8_t first = m_data[pos];
            std::uint64_t width = kFirstByteWidth[first];
            if (width < kLongSerialType) { // nearly every serial type is one byte
                anyValue = anyValue || first != kSerialNull;
                ++pos;
            } else {
                if (width == kBadSerialType) return 0;
                const Varint v = readVarint(m_data + pos, typesLimit - pos);
                if ((m_data[pos + v.used - 1] & 0x80) && v.used < kMaxVarintLength) return 0; // cut off
                if (!isValidSerialType(v.value)) return 0;
                anyValue = anyValue || v.value != kSerialNull;
                pos += static_cast<std::uint32_t>(v.used);
                width = serialTypeBodyLength(v.value);
            }
            if (width > limit) return 0;
            body += width;
            if (body > limit) return 0;
        }
        // A run of zero bytes reads as a record of NULLs: no row.
        if (!anyValue) return 0;
        if (typesEnd && pos != typesEnd) return 0;
        if (pos + body > limit) return 0;
        // Nor is a body of zero bytes only (zeroed space read as blobs).
        if (body != 0 &&
            std::all_of(m_data + pos, m_data + pos + body, [](std::uint8_t b) { return b == 0; }))
            return 0;
        return static_cast<std::uint32_t>(pos + body - q);
    }

    // A record whose header-length varint stands at `q`: the header must hold
    // exactly `count` serial types. The candidate starts at column 0.
    bool probeHeader(std::uint32_t q, std::uint32_t limit, std::uint32_t count, Probe& probe) {
        if (q >= limit) return false;
        const Varint header = readVarint(m_data + q, limit - q);
        const std::uint64_t used = header.used;
        // Each serial type takes 1 to 9 bytes.
        if (header.value < used + count || header.value > used + 9ull * count || header.value > limit - q)
            return false;
        const std::uint32_t start = q + static_cast<std::uint32_t>(used);
        const std::uint32_t length =
            measure(start, count, q + static_cast<std::uint32_t>(header.value), limit);
        if (length == 0) return false;
        probe = {q, start, start + length, 0};
        return true;
    }

    // A record whose serial types start at `q` (column 0 or, with column 0's
    // serial type lost, column 1; -1 judges by the first byte).
    bool probeHeaderless(std::uint32_t q, std::uint32_t limit, int firstColumn, Probe& probe) {
        if (q >= limit) return false;
        if (firstColumn < 0) firstColumn = m_data[q] != 0 ? 1 : 0;
        const std::uint64_t count = m_columns - static_cast<std::uint32_t>(firstColumn);
        if (count == 0) return false;
        const std::uint32_t length = measure(q, count, 0, limit);
        if (length == 0) return false;
        probe = {q, q, q + length, static_cast<std::int8_t>(firstColumn)};
        return true;
    }

    // An intact cell at `pos`: payload length, rowid, then a header of `count`
    // serial types; the record's length must equal the payload length.
    bool probeCell(std::uint32_t pos, std::uint32_t limit, std::uint32_t count, Probe& probe) {
        if (pos >= limit) return false;
        const Varint payload = readVarint(m_data + pos, limit - pos);
        const std::uint32_t afterLength = pos + static_cast<std::uint32_t>(payload.used);
        if (afterLength >= limit) return false;
        const Varint rowid = readVarint(m_data + afterLength, limit - afterLength);
        const std::uint32_t q = afterLength + static_cast<std::uint32_t>(rowid.used);
        if (!probeHeader(q, limit, count, probe)) return false;
        if (probe.end - q != payload.value) return false;
        probe.regionStart = pos;
        return true;
    }

    // --- taking candidates --------------------------------------------------

    bool take(const Probe& probe, RowSource source) {
        if (probe.end <= probe.start || m_claimed.overlaps(probe.regionStart, probe.end)) return false;
        if (probe.start > 0xffff) return false;
        m_claimed.add(probe.regionStart, probe.end);
        Candidate candidate;
        candidate.offset = static_cast<std::uint16_t>(probe.start);
        candidate.source = source;
        candidate.firstColumn = probe.firstColumn;
        m_out.push_back(candidate);
        return true;
    }

    // Live cells are no deleted rows: candidates may not overlap them.
    void claimLiveCells() {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
        ranges.reserve(m_pointers.size());
        for (std::uint16_t p : m_pointers) {
            const Varint payload = readVarint(m_data + p, m_usable - p);
            const std::uint32_t afterLength = p + static_cast<std::uint32_t>(payload.used);
            if (afterLength >= m_usable) continue;
            const Varint rowid = readVarint(m_data + afterLength, m_usable - afterLength);
            std::uint64_t end = afterLength + rowid.used;
            const std::uint64_t local = localPayload(payload.value);
            end += local + (local < payload.value ? 4 : 0);
            ranges.emplace_back(p, static_cast<std::uint32_t>(std::min<std::uint64_t>(end, m_usable)));
            if (end <= m_usable)
                m_highestCellEnd = std::max(m_highestCellEnd, static_cast<std::uint32_t>(end));
        }
        m_claimed.claimLive(ranges);
    }

    std::uint64_t localPayload(std::uint64_t payloadLength) const {
        const std::uint64_t usable = m_usable;
        const std::uint64_t maxLocal = usable - 35;
        if (payloadLength <= maxLocal) return payloadLength;
        const std::uint64_t minLocal = (usable - 12) * 32 / 255 - 23;
        const std::uint64_t k = minLocal + (payloadLength - minLocal) % (usable - 4);
        return k <= maxLocal ? k : minLocal;
    }

    bool guidIntact(const Probe& probe) const {
        if (!m_shape.requireGuid) return true;
        // The body follows the serial types; the GUID is its first text.
        const std::uint32_t typesBytes = static_cast<std::uint32_t>(
            serialTypesLength(ByteSpan(m_data + probe.start, m_usable - probe.start),
                              m_columns - (probe.firstColumn == 1 ? 1 : 0)));
        const std::uint32_t body = probe.start + typesBytes;
        if (body + kGuidLength > m_usable) return false;
        return std::all_of(m_data + body, m_data + body + kGuidLength, [](std::uint8_t b) { return b != 0; });
    }

    // A freed cell at `start` whose first 4 bytes became a freeblock header;
    // the span up to `end` is free. Finds the record of that cell and of any
    // further freed cells merged into the span.
    // `speculative`: the span was not known to be free (a freeblock header
    // found by its looks); only a reading that fits the span is taken.
    void freedSpan(std::uint32_t start, std::uint32_t end, RowSource source, bool speculative = false) {
        // Readings of the freed cell's record, in order of preference:
        //  - the payload-length and rowid varints were longer than the 4
        //    overwritten bytes: the header length follows what is left of them;
        //  - the header length was overwritten too: the serial types start right
        //    after the freeblock header, at column 0, or at column 1 when column
        //    0's serial type was lost as well (judged by the first byte; the
        //    other reading only counts when it fills the span).
        // A reading that fills the span exactly, or is followed by another
        // freed cell, beats the order (a stray byte can look like a header).
        std::vector<Reading>& readings = m_readings;
        readings.clear();
        const std::uint32_t first = start + kFreeblockHeaderSize;
        Probe probe;
        for (std::uint32_t q = first; q < end && q <= first + kMaxLeftoverPrefix; ++q) {
            if (q > first && (m_data[q - 1] & 0x80)) continue; // q - 1 must end the rowid varint
            if (probeHeader(q, end, m_columns, probe) && guidIntact(probe))
                readings.push_back({probe, false});
        }
        if (probeHeaderless(first, end, -1, probe) && guidIntact(probe)) readings.push_back({probe, false});
        const int otherColumn = first < end && m_data[first] != 0 ? 0 : 1;
        if (probeHeaderless(first, end, otherColumn, probe) && guidIntact(probe))
            readings.push_back({probe, true});
        int best = -1;
        int bestScore = -1;
        for (std::size_t i = 0; i < readings.size(); ++i) {
            const Probe& p = readings[i].probe;
            int score = 0;
            if (p.end == end) {
                score = 2;
            } else {
                Probe next;
                for (std::uint32_t skip = 0; skip <= kMaxFragment && p.end + skip < end && score == 0; ++skip)
                    if (probeCell(p.end + skip, end, m_columns, next)) score = 1;
            }
            if (readings[i].onlyIfExact && score < 2) continue;
            if (score > bestScore) {
                best = static_cast<int>(i);
                bestScore = score;
            }
        }
        const bool found = best >= 0 && (!speculative || bestScore >= 1);
        if (found) probe = readings[static_cast<std::size_t>(best)].probe;
        if (!found || !take(probe, source)) return;
        // Cells freed next to it were merged into the same span; they keep
        // their payload-length and rowid varints.
        std::uint32_t pos = probe.end;
        while (pos < end) {
            bool next = false;
            for (std::uint32_t skip = 0; skip <= kMaxFragment && pos + skip < end && !next; ++skip)
                next = probeCell(pos + skip, end, m_columns, probe);
            if (!next || !take(probe, source)) break;
            pos = probe.end;
        }
    }

    // Whole cells anywhere from `from` on (a freed page without cell pointers).
    void wholeCells(std::uint32_t from, RowSource source) {
        if (m_columns == 0) return;
        Probe probe;
        for (std::uint32_t pos = from; pos < m_usable;) {
            if (probeCell(pos, m_usable, m_columns, probe) && take(probe, source))
                pos = probe.end;
            else
                ++pos;
        }
    }

    // --- the four sources ---------------------------------------------------

    void freeblocks() {
        std::uint32_t previous = 0;
        std::uint32_t off = m_page.firstFreeblock();
        // Freeblocks ascend through the page, so the chain ends.
        while (off != 0) {
            if (off <= previous || off < m_arrayEnd || off + kFreeblockHeaderSize > m_usable) break;
            std::uint32_t size = readBigEndian16(m_data + off + 2);
            if (size == 0) break;
            if (off + size > m_usable) {
                // A damaged size: read it as the varint at the fourth byte.
                const Varint v = readVarint(m_data + off + 3, m_usable - off - 3);
                if (v.value > m_usable - off) break;
                size = static_cast<std::uint32_t>(v.value);
            }
            if (size >= kFreeblockHeaderSize) freedSpan(off, off + size, RowSource::freeblock);
            previous = off;
            off = readBigEndian16(m_data + off);
        }
    }

    void tail() {
        if (m_highestCellEnd == 0) return;
        // Header search: intact records (or their headers) behind the highest cell.
        Probe probe;
        for (std::uint32_t pos = m_highestCellEnd; pos < m_usable;) {
            if (probeHeader(pos, m_usable, m_searchColumns, probe) && take(probe, RowSource::tail)) {
                pos = probe.end;
            } else {
                ++pos;
            }
        }
        // Packed records: freed cells one after another, each behind a lost
        // 4-byte freeblock header.
        for (std::uint32_t pos = m_highestCellEnd; pos + m_columns + 9 < m_usable;) {
            pos += kFreeblockHeaderSize;
            if (!probeHeaderless(pos, m_usable, -1, probe)) break;
            take(probe, RowSource::tail);
            pos = probe.end;
        }
    }

    void gap() {
        std::uint32_t top =
            m_pointers.empty() ? m_usable : *std::min_element(m_pointers.begin(), m_pointers.end());
        top = std::min(top, m_usable);
        // Skip the stale cell pointers left behind the array (the stale source
        // reads them) and the zero bytes after them.
        std::uint32_t bottom = m_arrayEnd;
        while (bottom + 1 < top) {
            const std::uint32_t word = readBigEndian16(m_data + bottom);
            if (word < m_arrayEnd || word >= m_usable) break;
            bottom += 2;
        }
        const std::uint32_t afterStale = bottom;
        while (bottom < top && m_data[bottom] == 0)
            ++bottom;
        if (bottom >= top) return;
        Probe probe;
        // Cells freed at the start of the content area joined the gap with
        // their first 4 bytes made a freeblock header (next freeblock 0 or
        // further up, a size that fits) in front of a record that fits in that
        // size. (A last freeblock's header starts with zero bytes.)
        const std::uint32_t headerBottom = std::max(afterStale, bottom >= 3 ? bottom - 3 : 0);
        for (std::uint32_t pos = headerBottom; pos + kFreeblockHeaderSize < top; ++pos) {
            const std::uint32_t next = readBigEndian16(m_data + pos);
            const std::uint32_t size = readBigEndian16(m_data + pos + 2);
            if ((next != 0 && (next <= pos || next >= m_usable)) || size < kFreeblockHeaderSize + m_columns ||
                size > top - pos || m_claimed.overlaps(pos, pos + size))
                continue;
            const std::size_t before = m_out.size();
            freedSpan(pos, pos + size, RowSource::gap, true);
            if (m_out.size() != before) pos += size - 1;
        }
        // Backward search for the rest: record headers, the lowest-lying written
        // last.
        for (std::uint32_t pos = top; pos-- > bottom;) {
            if (probeHeader(pos, top, m_searchColumns, probe) && take(probe, RowSource::gap)) top = pos;
        }
    }

    void stalePointers() {
        const std::size_t array = m_page.cellPointerArrayOffset();
        const std::size_t maxEntries = (m_usable - std::min<std::size_t>(array, m_usable)) / 2;
        for (std::size_t i = m_page.cellCount(); i < maxEntries; ++i) {
            const std::uint32_t e = readBigEndian16(m_data + array + 2 * i);
            if (e == 0 || e >= m_usable) break;
            if (e < m_arrayEnd) continue;
            Probe probe;
            // The cell may still stand whole (its space later joined the gap).
            if (probeCell(e, m_usable, m_columns, probe)) {
                take(probe, RowSource::stale);
                continue;
            }
            // Or its first 4 bytes became a freeblock header.
            if (e + kFreeblockHeaderSize > m_usable) continue;
            const std::uint32_t size = readBigEndian16(m_data + e + 2);
            const std::uint32_t end =
                size >= kFreeblockHeaderSize && e + size <= m_usable ? e + size : m_usable;
            freedSpan(e, end, RowSource::stale);
        }
    }

    const BtreePage& m_page;
    const std::uint8_t* m_data;
    std::uint32_t m_usable;
    const CarveShape& m_shape;
    std::uint32_t m_columns;
    std::uint32_t m_searchColumns;
    std::vector<Candidate>& m_out;
    std::vector<std::uint16_t> m_pointers;
    std::uint32_t m_arrayEnd = 0;
    std::uint32_t m_highestCellEnd = 0;
    ClaimedRanges m_claimed;
    std::uint64_t m_budget;
    std::vector<Reading> m_readings;
};

} // namespace

CarveShape carveShapeFor(const SqliteFile& file, std::uint32_t columnCount) {
    CarveShape shape;
    shape.columnCount = columnCount ? columnCount : file.currentColumnCount();
    shape.searchColumnCount = shape.columnCount;
    const std::string& table = file.currentTable();
    if (equalsIgnoreCase(table, "call") && file.state().callColumnCount > 0 && columnCount == 0)
        shape.searchColumnCount = static_cast<std::uint32_t>(file.state().callColumnCount);
    shape.requireGuid = equalsIgnoreCase(table, "message");
    return shape;
}

void findFreedPageCandidates(ByteSpan page, std::uint32_t usableSize, std::uint32_t dataStart,
                             const CarveShape& shape, std::vector<Candidate>& out) {
    // The page index only tells where the b-tree header would be: any page but 0.
    const BtreePage view(page, 1, usableSize);
    PageCarver(view, shape, out).wholeCells(dataStart, RowSource::freelist);
}

void findPageCandidates(const BtreePage& page, const CarveShape& shape, std::vector<Candidate>& out) {
    PageCarver(page, shape, out).run();
}

Status collectCandidates(const SqliteFile& file, ByteSpan page, std::uint32_t pageIndex, CellOffsetMap& out) {
    const CarveShape shape = carveShapeFor(file, 0);
    BtreeWalker walker(file);
    std::vector<Candidate> candidates;
    return walker.walk(page, pageIndex, [&](const BtreePage& leaf) {
        candidates.clear();
        findPageCandidates(leaf, shape, candidates);
        std::vector<std::uint16_t>& offsets = out[leaf.index()];
        for (const Candidate& c : candidates)
            offsets.push_back(c.offset);
        return kStatusOk;
    });
}

} // namespace orvelle
