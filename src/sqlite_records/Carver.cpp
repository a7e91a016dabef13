#include "sqlite_records/Carver.h"

#include "core/Text.h"
#include "sqlite_records/BtreePage.h"
#include "sqlite_records/BtreeWalker.h"
#include "sqlite_records/Record.h"
#include "sqlite_records/SqliteFile.h"

#include <algorithm>
#include <array>
#include <cmath>
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
// Floats outside this magnitude (but 0) are taken for misread bytes.
constexpr double kSmallestReal = 1e-100;
constexpr double kLargestReal = 1e100;
// A freed cell that lost column 0's serial type to the freeblock header had a
// one-byte payload length: 2 bytes of payload length and rowid, and at most
// 127 bytes of payload.
constexpr std::uint32_t kMaxColumn1CellSize = 2 + 127;

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
    // firstColumn 1: column 0's body width and serial type (kLostSerialType
    // when not told; partial when the column held a value that cannot be told).
    std::uint32_t lostWidth = 0;
    std::uint64_t lostType = kLostSerialType;
    bool partial = false;
};

// One way of reading a freed cell's record.
struct Reading {
    enum class Kind : std::uint8_t { cell, header, fromColumn0, fromColumn1 };
    Probe probe;
    Kind kind = Kind::header;
    int score = 0; // 2: fills its span exactly; 1: another record follows it; 0: neither
};

// What the width of a lost column 0's body tells of its serial type.
struct LostReading {
    bool possible = false; // some value of the column takes that width
    std::uint64_t serialType = kLostSerialType; // kLostSerialType: more than one could
};

LostReading readLostColumn(const CarveShape& shape, std::uint32_t width, const std::uint8_t* body) {
    if (shape.affinities.empty() || shape.rowidAlias == 0) return {width == 0, kLostSerialType};
    const auto numericType = [](std::uint32_t w) -> std::uint64_t {
        switch (w) {
        case 1: return 1;
        case 2: return 2;
        case 3: return 3;
        case 4: return 4;
        case 6: return 5;
        default: return kLostSerialType;
        }
    };
    switch (shape.affinities[0]) {
    case ColumnAffinity::integer:
    case ColumnAffinity::real:
    case ColumnAffinity::numeric: {
        // 0 bytes: NULL, 0 or 1. 8 bytes: a 64-bit integer or a float; an
        // INTEGER column keeps floats only when they have a fraction, a REAL
        // column keeps whole values as integers of at most 6 bytes.
        if (width == 0) return {true, kLostSerialType};
        if (width == 8) {
            const ColumnAffinity affinity = shape.affinities[0];
            if (affinity == ColumnAffinity::integer) return {true, 6};
            if (affinity == ColumnAffinity::real) return {true, 7};
            return {true, kLostSerialType};
        }
        const std::uint64_t type = numericType(width);
        return {type != kLostSerialType, type};
    }
    case ColumnAffinity::text: {
        // Numbers become text in a TEXT column: a text, a blob or NULL.
        if (width == 0) return {true, kLostSerialType};
        const std::string_view text(reinterpret_cast<const char*>(body), width);
        if (isAcceptableText(text) && text.find('\0') == std::string_view::npos)
            return {true, 13 + 2 * std::uint64_t(width)};
        return {true, kLostSerialType};
    }
    case ColumnAffinity::blob:
        return {true, kLostSerialType};
    }
    return {};
}

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
        if (probe.start > 0xffff || !plausible(probe)) return false;
        m_claimed.add(probe.regionStart, probe.end);
        m_lastTakenEnd = probe.end;
        Candidate candidate;
        candidate.offset = static_cast<std::uint16_t>(probe.start);
        candidate.source = source;
        candidate.firstColumn = probe.firstColumn;
        if (probe.firstColumn == 1) {
            candidate.partial = probe.partial;
            candidate.lostWidth = static_cast<std::uint16_t>(probe.lostWidth);
            candidate.lostType = probe.lostType == kLostSerialType ? Candidate::kUnknownLostType
                                                                   : static_cast<std::uint32_t>(probe.lostType);
        }
        m_out.push_back(candidate);
        return true;
    }

    // With the table's declaration known: every value's storage class fits
    // its column (a TEXT column holds no numbers, a numeric one no blobs, the
    // rowid alias only NULL) and every text is clean UTF-8 without NUL.
    bool plausible(const Probe& probe) {
        if (m_shape.affinities.empty()) return true;
        HeaderlessRecord info;
        const std::uint32_t firstColumn = probe.firstColumn == 1 ? 1 : 0;
        const LostColumn lost{probe.lostWidth, probe.lostType};
        if (!decodeHeaderless(ByteSpan(m_data + probe.start, m_usable - probe.start), m_columns, firstColumn,
                              m_values, info, kAllColumns, nullptr, lost) ||
            info.length != probe.end - probe.start)
            return false;
        for (std::size_t i = 0; i < m_values.size() && i < m_shape.affinities.size(); ++i)
            if (!valueFits(m_values[i], i)) return false;
        return true;
    }

    bool valueFits(const RecordValue& value, std::size_t column) const {
        if (value.isLost() || value.isNull()) return true;
        if (static_cast<int>(column) == m_shape.rowidAlias) return false;
        // Eight bytes of text or integer read as a float are mostly of an
        // absurd magnitude; real data keeps to a sane range.
        if (value.kind == ValueKind::real && value.real != 0 &&
            !(std::fabs(value.real) >= kSmallestReal && std::fabs(value.real) <= kLargestReal))
            return false;
        if (value.isText() &&
            (!isAcceptableText(value.bytes) || value.bytes.find('\0') != std::string_view::npos))
            return false;
        switch (m_shape.affinities[column]) {
        case ColumnAffinity::text:
            return value.kind == ValueKind::text || value.kind == ValueKind::blob;
        case ColumnAffinity::integer:
        case ColumnAffinity::real:
            return value.kind == ValueKind::integer || value.kind == ValueKind::real;
        case ColumnAffinity::numeric:
            return value.kind != ValueKind::blob;
        case ColumnAffinity::blob:
            return true;
        }
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
            const auto key = static_cast<std::int64_t>(rowid.value);
            m_minLiveRowid = m_liveRowids == 0 ? key : std::min(m_minLiveRowid, key);
            m_maxLiveRowid = m_liveRowids == 0 ? key : std::max(m_maxLiveRowid, key);
            ++m_liveRowids;
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
        const std::uint32_t body = probe.start + typesBytes + (probe.firstColumn == 1 ? probe.lostWidth : 0);
        if (body + kGuidLength > m_usable) return false;
        return std::all_of(m_data + body, m_data + body + kGuidLength, [](std::uint8_t b) { return b != 0; });
    }

    // --- freed cells -------------------------------------------------------
    //
    // A freed cell's first 4 bytes became a freeblock header. What they held
    // tells where its record's serial types now start (p is the cell start):
    //  - payload length and rowid took more than 4 bytes: the header length
    //    stands at p + 4 + k (the `header` readings);
    //  - they took 3 bytes: the header length was lost, column 0's serial
    //    type stands at p + 4 (`fromColumn0`);
    //  - they took 2 bytes (payload and rowid below 128): column 0's serial
    //    type was lost too and column 1's stands at p + 4 (`fromColumn1`).
    //    Column 0's body still leads the body: its width is what the span
    //    leaves for it, and its serial type what that width allows for the
    //    column's affinity.
    // A reading counts when it fills its span exactly, or when another record
    // follows it in the span (neighbouring freed cells are merged into one
    // freeblock: those freed later keep their whole cell, those freed earlier
    // start with the freeblock header they had then).

    // Adds the readings of a record at `p` (cells too when `wholeCell`).
    void readingsAt(std::uint32_t p, std::uint32_t end, bool wholeCell, std::vector<Reading>& out) {
        Probe probe;
        if (wholeCell && probeCell(p, end, m_columns, probe) && plausible(probe))
            out.push_back({probe, Reading::Kind::cell, 0});
        const std::uint32_t first = p + kFreeblockHeaderSize;
        if (first >= end) return;
        for (std::uint32_t q = first; q < end && q <= first + kMaxLeftoverPrefix; ++q) {
            if (q > first && (m_data[q - 1] & 0x80)) continue; // q - 1 must end the rowid varint
            if (probeHeader(q, end, m_columns, probe) && plausible(probe) && guidIntact(probe)) {
                probe.regionStart = p;
                out.push_back({probe, Reading::Kind::header, 0});
            }
        }
        if (probeHeaderless(first, end, 0, probe) && plausible(probe) && guidIntact(probe)) {
            probe.regionStart = p;
            out.push_back({probe, Reading::Kind::fromColumn0, 0});
        }
        // Column 1 on: the bytes of serial types and bodies but column 0's.
        if (!probeHeaderless(first, end, 1, probe)) return;
        probe.regionStart = p;
        const std::uint32_t restEnd = probe.end;
        const std::uint32_t bodyStart =
            first + static_cast<std::uint32_t>(serialTypesLength(ByteSpan(m_data + first, end - first), m_columns - 1));
        const auto addWidth = [&](std::uint32_t width, int score) {
            // Payload length, rowid, header length and column 0's serial type
            // took one byte each: the payload is below 128 bytes.
            if (columnZeroHasBody() && restEnd + width - p > kMaxColumn1CellSize) return;
            const LostReading lost = readLostColumn(m_shape, width, m_data + bodyStart);
            if (!lost.possible) return;
            Probe reading = probe;
            reading.end = restEnd + width;
            reading.lostWidth = width;
            reading.lostType = lost.serialType;
            reading.partial = lost.serialType == kLostSerialType && !m_shape.affinities.empty() &&
                              m_shape.rowidAlias != 0;
            if (plausible(reading) && guidIntact(reading))
                out.push_back({reading, Reading::Kind::fromColumn1, score});
        };
        if (!columnZeroHasBody()) {
            addWidth(0, 0);
            return;
        }
        // Without the span's end the width is found by the record that
        // follows; every width that finds one is a reading.
        addWidth(end - restEnd, 2);
        const bool textual =
            m_shape.affinities[0] == ColumnAffinity::text || m_shape.affinities[0] == ColumnAffinity::blob;
        const std::uint32_t widthLimit = std::min(end - restEnd, kMaxColumn1CellSize);
        for (std::uint32_t width = 0; width < widthLimit && m_budget > 0; ++width) {
            // A text holds no NUL: a longer one would not either.
            if (m_shape.affinities[0] == ColumnAffinity::text && width > 0 && m_data[bodyStart + width - 1] == 0)
                break;
            if (!textual && !readLostColumn(m_shape, width, m_data + bodyStart).possible) continue;
            --m_budget;
            if (startsRecord(restEnd + width, end)) addWidth(width, 1);
        }
    }

    // Four bytes at `p` that read as a freeblock header of a block inside
    // the span [p, end): a next freeblock of 0 or further up the page, a size
    // beyond the header that ends in the span.
    // A span whose first header claims more than the span (a page rebuilt
    // after its cells were freed) still ties its cells together: each one's
    // header claims the same end, m_claimedEnd.
    bool staleFreeblockHeader(std::uint32_t p, std::uint32_t end) const {
        if (p + kFreeblockHeaderSize >= end) return false;
        const std::uint32_t next = readBigEndian16(m_data + p);
        const std::uint32_t size = readBigEndian16(m_data + p + 2);
        return (next == 0 || (next > p && next < m_usable)) && size > kFreeblockHeaderSize &&
               (p + size <= end || (m_claimedEnd != 0 && p + size == m_claimedEnd));
    }

    // Column 0 may hold a body (it is no rowid alias, or nothing is known).
    bool columnZeroHasBody() const { return !m_shape.affinities.empty() && m_shape.rowidAlias != 0; }

    // A record that starts at `p`: a whole cell or a freed cell whose
    // readings do not need what follows.
    bool startsRecord(std::uint32_t p, std::uint32_t end) {
        if (p >= end) return false;
        Probe probe;
        // A cell freed before its neighbour below it keeps the freeblock
        // header it had then: its size reaches no further than the span.
        if (columnZeroHasBody() && staleFreeblockHeader(p, end) &&
            probeHeaderless(p + kFreeblockHeaderSize, end, 1, probe))
            return true;
        if (probeCell(p, end, m_columns, probe) && plausible(probe)) return true;
        const std::uint32_t first = p + kFreeblockHeaderSize;
        for (std::uint32_t q = first; q < end && q <= first + kMaxLeftoverPrefix; ++q) {
            if (q > first && (m_data[q - 1] & 0x80)) continue;
            if (probeHeader(q, end, m_columns, probe) && plausible(probe)) return true;
        }
        if (probeHeaderless(first, end, 0, probe) && plausible(probe)) return true;
        if (!columnZeroHasBody() && probeHeaderless(first, end, 1, probe) && plausible(probe)) return true;
        return false;
    }

    // Scores each reading and picks the one to take: the best score, when
    // only one reading has it. `needFit`: a reading of score 0 is not taken.
    bool chooseReading(std::vector<Reading>& readings, std::uint32_t end, bool needFit, Probe& chosen) {
        for (Reading& reading : readings) {
            if (reading.kind == Reading::Kind::fromColumn1 && columnZeroHasBody()) continue; // scored when found
            const Probe& p = reading.probe;
            if (p.end == end) {
                reading.score = 2;
                continue;
            }
            // A whole cell's payload length vouches for its end.
            if (reading.kind == Reading::Kind::cell) reading.score = 1;
            for (std::uint32_t skip = 0; skip <= kMaxFragment && p.end + skip < end && reading.score == 0; ++skip)
                if (startsRecord(p.end + skip, end)) reading.score = 1;
        }
        int best = -1;
        for (const Reading& reading : readings)
            best = std::max(best, reading.score);
        if (best < 0 || (best == 0 && needFit)) return false;
        const Reading* pick = nullptr;
        const Reading* other = nullptr;
        for (const Reading& reading : readings) {
            if (reading.score != best) continue;
            // A width found by what follows is no reading of its own when the span was not scored.
            if (best == 0 && reading.kind == Reading::Kind::fromColumn1 && columnZeroHasBody()) continue;
            if (!pick)
                pick = &reading;
            else if (!other)
                other = &reading;
        }
        if (!pick) return false;
        // With no fit, the readings go by their order (a header before the
        // headerless ones, the first byte telling column 0 from column 1).
        if (best == 0) {
            // A headerless reading that fits nothing could have started a
            // column later: with a body in column 0 it is no row.
            if (columnZeroHasBody() && pick->kind != Reading::Kind::header && pick->kind != Reading::Kind::cell)
                return false;
            const Reading* judged = pick;
            if (pick->kind != Reading::Kind::header && pick->kind != Reading::Kind::cell) {
                const std::uint8_t firstByte = m_data[pick->probe.start];
                for (const Reading& reading : readings)
                    if (reading.score == 0 && reading.kind == (firstByte == 0 ? Reading::Kind::fromColumn0
                                                                               : Reading::Kind::fromColumn1)) {
                        judged = &reading;
                        break;
                    }
            }
            chosen = judged->probe;
            return true;
        }
        if (other) pick = breakTie(readings, best);
        if (!pick) return false;
        chosen = pick->probe;
        return true;
    }

    // Several readings fit as well: one whose header length (or whole cell)
    // agrees with its serial types is worth more than the headerless ones.
    // Column 0 from its serial type against column 0 from its body's width:
    // without a body in column 0 the first byte tells (0 is column 0's NULL);
    // with one, payload and rowid took 2 bytes only for rowids below 128, so
    // the page's live rowids decide. Otherwise nothing is taken.
    const Reading* breakTie(const std::vector<Reading>& readings, int best) const {
        const Reading* strong = nullptr;
        const Reading* fromColumn0 = nullptr;
        const Reading* fromColumn1 = nullptr;
        int strongCount = 0;
        int count = 0;
        for (const Reading& reading : readings) {
            if (reading.score != best) continue;
            ++count;
            if (reading.kind == Reading::Kind::header || reading.kind == Reading::Kind::cell) {
                strong = &reading;
                ++strongCount;
            } else if (reading.kind == Reading::Kind::fromColumn0) {
                fromColumn0 = &reading;
            } else {
                fromColumn1 = &reading;
            }
        }
        if (strongCount == 1) return strong;
        if (strongCount > 1 || count != 2 || !fromColumn0 || !fromColumn1) return nullptr;
        if (!columnZeroHasBody()) return m_data[fromColumn0->probe.start] == 0 ? fromColumn0 : fromColumn1;
        if (m_liveRowids == 0) return nullptr;
        if (m_maxLiveRowid < 128) return fromColumn1;
        if (m_minLiveRowid >= 128) return fromColumn0;
        return nullptr;
    }

    // A freed cell at `start` whose first 4 bytes became a freeblock header;
    // the span up to `end` is free. Finds its record and those of the freed
    // cells merged into the span after it.
    // `speculative`: the span was not known to be free (a freeblock header
    // found by its looks); only a reading that fits the span is taken.
    // `claimedEnd`: the end the first header claims when it lies past `end`.
    void freedSpan(std::uint32_t start, std::uint32_t end, RowSource source, bool speculative = false,
                   std::uint32_t claimedEnd = 0) {
        m_claimedEnd = claimedEnd;
        std::vector<Reading>& readings = m_readings;
        std::uint32_t pos = start;
        bool firstRecord = true;
        while (pos < end) {
            Probe probe;
            bool found = false;
            for (std::uint32_t skip = 0; !found && skip <= (firstRecord ? 0 : kMaxFragment) && pos + skip < end;
                 ++skip) {
                readings.clear();
                readingsAt(pos + skip, end, !firstRecord, readings);
                found = chooseReading(readings, end, speculative || !firstRecord, probe);
            }
            if (!found || !take(probe, source)) break;
            pos = probe.end;
            firstRecord = false;
        }
        m_claimedEnd = 0;
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
            // Column 0's width is not told here: when it may hold a body,
            // only records whose header begins at column 0 are read.
            if (!probeHeaderless(pos, m_usable, columnZeroHasBody() ? 0 : -1, probe)) break;
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
            if ((next != 0 && (next <= pos || next >= m_usable)) || size < kFreeblockHeaderSize + m_columns)
                continue;
            const std::size_t before = m_out.size();
            if (size <= top - pos) {
                if (m_claimed.overlaps(pos, pos + size)) continue;
                freedSpan(pos, pos + size, RowSource::gap, true);
                if (m_out.size() != before) pos += size - 1;
            } else if (pos + size <= m_usable) {
                // Freed cells of a page rebuilt since: their headers claim
                // space that live cells took over.
                freedSpan(pos, top, RowSource::gap, true, pos + size);
                if (m_out.size() != before) pos = m_lastTakenEnd - 1;
            }
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
            // Or its first 4 bytes became a freeblock header whose size tells
            // the span; a record that does not fill it (or is not followed
            // by another) is cut somewhere and is not taken.
            if (e + kFreeblockHeaderSize > m_usable) continue;
            const std::uint32_t size = readBigEndian16(m_data + e + 2);
            if (size < kFreeblockHeaderSize || e + size > m_usable) continue;
            freedSpan(e, e + size, RowSource::stale, true);
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
    std::vector<RecordValue> m_values;
    std::uint32_t m_claimedEnd = 0;
    std::uint32_t m_lastTakenEnd = 0;
    // The rowids of the page's live cells: how many, the least and the largest.
    std::uint32_t m_liveRowids = 0;
    std::int64_t m_minLiveRowid = 0;
    std::int64_t m_maxLiveRowid = 0;
};

} // namespace

LostColumn Candidate::lostColumn() const {
    if (firstColumn != 1) return {};
    return {lostWidth, lostType == kUnknownLostType ? kLostSerialType : std::uint64_t(lostType)};
}

CarveShape carveShapeFor(const SqliteFile& file, std::uint32_t columnCount, const TableSchema* schema) {
    CarveShape shape;
    shape.columnCount = columnCount ? columnCount : file.currentColumnCount();
    shape.searchColumnCount = shape.columnCount;
    const std::string& table = file.currentTable();
    if (equalsIgnoreCase(table, "call") && file.state().callColumnCount > 0 && columnCount == 0)
        shape.searchColumnCount = static_cast<std::uint32_t>(file.state().callColumnCount);
    shape.requireGuid = equalsIgnoreCase(table, "message");
    if (schema && schema->columnCount() == shape.columnCount && !schema->withoutRowid()) {
        for (std::uint32_t i = 0; i < shape.columnCount; ++i)
            shape.affinities.push_back(schema->affinity(i));
        shape.rowidAlias = schema->rowidAliasColumn();
    }
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
