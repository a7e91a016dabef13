#include "sqlite_records/TableScan.h"

#include "core/Text.h"
#include "sqlite_records/BtreePage.h"
#include "sqlite_records/BtreeWalker.h"
#include "sqlite_records/Carver.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableSchema.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <string_view>

namespace orvelle {

namespace {

// A 64-bit fingerprint of a row's values past column 0 (a rowid alias, or lost
// in a carved row), trailing nulls left out (a record written before columns
// were added has fewer). Lost values count as nulls. Every row of a table is
// fingerprinted when a log is carved, so the bytes go through the library's
// word-wise hash rather than byte by byte.
std::uint64_t rowFingerprint(const Row& row) {
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](std::uint64_t value) {
        hash = (hash ^ value) * 0x9e3779b97f4a7c15ull;
        hash ^= hash >> 29;
    };
    std::size_t end = row.values.size();
    while (end > 1 && (row.values[end - 1].isNull() || row.values[end - 1].isLost()))
        --end;
    for (std::size_t i = 1; i < end; ++i) {
        const RecordValue& value = row.values[i];
        const auto kind = value.isLost() ? ValueKind::null : value.kind;
        mix(static_cast<std::uint64_t>(kind) + 1);
        if (kind == ValueKind::integer) mix(static_cast<std::uint64_t>(value.integer));
        if (kind == ValueKind::real) mix(std::bit_cast<std::uint64_t>(value.real));
        if (kind == ValueKind::text || kind == ValueKind::blob) {
            mix(value.bytes.size());
            mix(std::hash<std::string_view>{}(value.bytes));
        }
    }
    return hash;
}

// A set of fingerprints with open addressing: 8 bytes a slot, at most half
// full, no node per entry (every row of a large table may be in it).
class FingerprintSet {
public:
    bool contains(std::uint64_t fingerprint) const {
        if (m_slots.empty()) return false;
        const std::uint64_t key = fingerprint | 1; // 0 marks an empty slot
        for (std::size_t i = slotOf(key);; i = (i + 1) & (m_slots.size() - 1)) {
            if (m_slots[i] == key) return true;
            if (m_slots[i] == 0) return false;
        }
    }
    void insert(std::uint64_t fingerprint) {
        if (2 * (m_count + 1) > m_slots.size()) grow();
        const std::uint64_t key = fingerprint | 1;
        std::size_t i = slotOf(key);
        while (m_slots[i] != 0 && m_slots[i] != key)
            i = (i + 1) & (m_slots.size() - 1);
        if (m_slots[i] == 0) ++m_count;
        m_slots[i] = key;
    }

private:
    std::size_t slotOf(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15ull) >> 20) & (m_slots.size() - 1);
    }
    void grow() {
        std::vector<std::uint64_t> old = std::move(m_slots);
        m_slots.assign(old.empty() ? 1024 : old.size() * 2, 0);
        m_count = 0;
        for (const std::uint64_t key : old)
            if (key != 0) insert(key);
    }

    std::vector<std::uint64_t> m_slots;
    std::size_t m_count = 0;
};

// One table's walk: the state shared by its live, carved and freelist passes.
class TableScan {
public:
    // `columnCount` is the resolved expected column count (also the file's
    // current one); `givenCount` the caller's, 0 when the table rules apply.
    // `valueLimit` is how many leading columns get their values decoded;
    // `wanted`, when not empty, which of them (one byte per column).
    // `schema`, when given, is the table's declaration.
    TableScan(SqliteFile& file, const RowSink& sink, std::uint32_t columnCount, std::uint32_t givenCount,
              std::uint32_t valueLimit, std::vector<std::uint8_t> wanted, const TableSchema* schema,
              ScanStats& stats)
        : m_file(file), m_sink(sink), m_columns(columnCount), m_valueLimit(valueLimit),
          m_wanted(std::move(wanted)), m_shape(carveShapeFor(file, givenCount, schema)), m_stats(stats),
          m_liveWalker(file), m_carveWalker(file) {}

    // Called before the first pass when the log's frames are to be carved:
    // from then on the rows handed over from pages the log holds a version of
    // are remembered for the duplicate check (only when the log has frames the
    // database does not use). A row of the log can equal only a row of such a
    // page: a page the log never wrote did not change while the log was kept,
    // and a row that moved went to a page the log wrote.
    void prepareLogFrames(bool otherPages) {
        m_logOtherPages = otherPages;
        const WriteAheadLog& log = m_file.writeAheadLog();
        m_keepFingerprints = std::any_of(log.frames().begin(), log.frames().end(),
                                         [&log](const LogFrame& frame) { return log.isSuperseded(frame); });
        if (!m_keepFingerprints) return;
        m_loggedPages.assign(static_cast<std::size_t>(m_file.pageCount()), false);
        for (const LogFrame& frame : log.frames())
            if (frame.pageIndex < m_loggedPages.size()) m_loggedPages[frame.pageIndex] = true;
    }

    // `carveAlong`: the carved rows of the same tree follow (carvedRows), so
    // each leaf's candidates are found while the page is at hand and only the
    // pages that have some are read again. Past kMaxPendingCandidates the
    // candidates are dropped and the carved pass walks the tree itself.
    Status liveRows(std::uint32_t root, bool carveAlong) {
        m_pending.clear();
        m_pendingCandidates.clear();
        m_pendingValid = carveAlong;
        return m_liveWalker.walk(root, [this](const BtreePage& leaf) {
            ++m_stats.pagesRead;
            if (const Status st = cells(leaf, RowSource::live, 0); st != kStatusOk) return st;
            if (m_pendingValid) {
                const auto first = static_cast<std::uint32_t>(m_pendingCandidates.size());
                findPageCandidates(leaf, m_shape, m_pendingCandidates);
                const auto end = static_cast<std::uint32_t>(m_pendingCandidates.size());
                if (end != first) m_pending.push_back({leaf.index(), first, end});
                if (end > kMaxPendingCandidates) {
                    m_pendingValid = false;
                    std::vector<PendingPage>().swap(m_pending);
                    std::vector<Candidate>().swap(m_pendingCandidates);
                }
            }
            return kStatusOk;
        });
    }

    // Damaged pages met by either walk of the live tree.
    std::uint64_t damagedPages() const {
        return std::max(m_liveWalker.damagedPages(), m_carveWalker.damagedPages());
    }

    // The carved rows of the tree below `root`: its leaves in the order of the
    // live walk, each leaf's candidates in the order the sources found them.
    Status carvedRows(std::uint32_t root) {
        if (!m_pendingValid)
            return m_carveWalker.walk(root, [this](const BtreePage& leaf) { return candidates(leaf); });
        m_pendingValid = false;
        for (const PendingPage& pending : m_pending) {
            if (const Status st = m_file.readPage(pending.page, m_page); st != kStatusOk) return st;
            m_candidates.assign(m_pendingCandidates.begin() + static_cast<std::ptrdiff_t>(pending.first),
                                m_pendingCandidates.begin() + static_cast<std::ptrdiff_t>(pending.end));
            const BtreePage leaf(m_page, pending.page, m_file.usableSize());
            if (const Status st = handCandidates(leaf.usable(), pending.page); st != kStatusOk) return st;
        }
        return kStatusOk;
    }

    // A freelist page that was a table page: its cells and its free space, when
    // its first record has this table's column count.
    Status freelistPage(std::uint32_t pageIndex) {
        if (m_liveWalker.visited(pageIndex) || m_freelistWalker.visited(pageIndex)) return kStatusOk;
        if (m_file.readPage(pageIndex, m_page) != kStatusOk) return kStatusOk;
        const std::uint8_t type = m_page[0];
        if (type != kPageTypeTableLeaf && type != kPageTypeTableInterior) return kStatusOk;
        return m_freelistWalker.walk(m_page, pageIndex, [this](const BtreePage& leaf) {
            // Pages of the live tree may hang below a freed interior page.
            if (m_liveWalker.visited(leaf.index())) return kStatusOk;
            ++m_stats.pagesRead;
            const std::int64_t columns = m_file.countRecordColumns(leaf.bytes(), leaf.index());
            if (m_columns == 0 || columns != static_cast<std::int64_t>(m_columns)) return kStatusOk;
            if (const Status st = cells(leaf, RowSource::freelist, 1); st != kStatusOk) return st;
            return candidates(leaf);
        });
    }

    // Every freelist page, then every trunk page. The live tree is known only
    // after its walk; without it, freelist pages are judged by their column
    // count alone.
    Status freelist() {
        for (std::uint32_t page : m_file.freelistPages())
            if (const Status st = freelistPage(page); st != kStatusOk) return st;
        for (std::uint32_t page : m_file.freelistTrunkPages())
            if (const Status st = freelistTrunk(page); st != kStatusOk) return st;
        return kStatusOk;
    }

    // A freelist trunk page: past its leaf list, whole cells of the page it was.
    Status freelistTrunk(std::uint32_t pageIndex) {
        if (m_liveWalker.visited(pageIndex) || m_columns == 0) return kStatusOk;
        if (m_file.readPage(pageIndex, m_page) != kStatusOk) return kStatusOk;
        ++m_stats.pagesRead;
        const std::uint32_t maxLeaves = (m_file.usableSize() - 8) / 4;
        const std::uint32_t leaves = std::min(readBigEndian32(m_page.data() + 4), maxLeaves);
        m_candidates.clear();
        findFreedPageCandidates(m_page, m_file.usableSize(), 8 + 4 * leaves, m_shape, m_candidates);
        return handCandidates(ByteSpan(m_page).first(m_file.usableSize()), pageIndex);
    }

    // The frames of the log that the database does not use: those that were
    // leaves of this table (a page of its live tree then, or one whose first
    // record has its column count) give their rows as deleted rows.
    Status logFrames() {
        if (!m_keepFingerprints) return kStatusOk;
        const WriteAheadLog& log = m_file.writeAheadLog();
        m_fromLog = true;
        for (const LogFrame& frame : log.frames()) {
            // Page 1 holds the schema, never a table's rows.
            if (!log.isSuperseded(frame) || frame.pageIndex == 0) continue;
            if (m_file.readLogFrame(frame, m_page) != kStatusOk) continue;
            const BtreePage leaf(m_page, frame.pageIndex, m_file.usableSize());
            if (!leaf.isTableLeaf()) continue;
            ++m_stats.pagesRead;
            const bool ownPage = m_liveWalker.visited(frame.pageIndex) || m_carveWalker.visited(frame.pageIndex);
            if (!ownPage && (!m_logOtherPages || m_columns == 0 ||
                             m_file.countRecordColumns(leaf.bytes(), leaf.index()) !=
                                 static_cast<std::int64_t>(m_columns)))
                continue;
            if (const Status st = cells(leaf, RowSource::wal, 1); st != kStatusOk) return st;
            if (const Status st = candidates(leaf); st != kStatusOk) return st;
        }
        m_fromLog = false;
        return kStatusOk;
    }

private:
    Status cells(const BtreePage& leaf, RowSource source, std::uint32_t deleted) {
        for (std::uint16_t cell : leaf.cellPointers()) {
            if (m_file.readCellPayload(leaf.bytes(), leaf.index(), cell, m_payload) != kStatusOk ||
                !m_payload.complete)
                continue;
            Row row;
            if (!decodeRecord(m_payload.payload, m_values, row.headerLength, m_valueLimit, wanted()))
                continue;
            row.mode = RowMode::cell;
            row.source = source;
            row.deleted = deleted;
            row.page = leaf.index();
            row.offset = cell;
            row.rowid = m_payload.rowid;
            row.values = m_values;
            row.record = m_payload.payload;
            row.pageBytes = leaf.usable().subspan(cell);
            row.columnCount = m_columns;
            if (const Status st = hand(row); st != kStatusOk) return st;
        }
        return kStatusOk;
    }

    Status candidates(const BtreePage& leaf) {
        m_candidates.clear();
        findPageCandidates(leaf, m_shape, m_candidates);
        return handCandidates(leaf.usable(), leaf.index());
    }

    Status handCandidates(ByteSpan usable, std::uint32_t pageIndex) {
        for (const Candidate& candidate : m_candidates) {
            const ByteSpan bytes = usable.subspan(candidate.offset);
            HeaderlessRecord info;
            const bool decoded =
                candidate.firstColumn < 0
                    ? decodeHeaderless(bytes, m_columns, m_values, info, m_valueLimit, wanted())
                    : decodeHeaderless(bytes, m_columns, static_cast<std::uint32_t>(candidate.firstColumn),
                                       m_values, info, m_valueLimit, wanted(), candidate.lostColumn());
            if (!decoded) continue;
            Row row;
            row.mode = RowMode::headerless;
            row.source = m_fromLog ? RowSource::wal : candidate.source;
            row.deleted = 1;
            row.page = pageIndex;
            row.offset = candidate.offset;
            row.headerLength = info.serialTypeBytes;
            row.firstColumn = info.firstColumn;
            row.partial = candidate.partial;
            row.values = m_values;
            row.record = bytes.first(static_cast<std::size_t>(info.length));
            row.pageBytes = bytes;
            row.columnCount = m_columns;
            if (const Status st = hand(row); st != kStatusOk) return st;
        }
        return kStatusOk;
    }

    const std::uint8_t* wanted() const { return m_wanted.empty() ? nullptr : m_wanted.data(); }

    Status hand(const Row& row) {
        const bool remembered =
            m_keepFingerprints && (m_fromLog || (row.page < m_loggedPages.size() && m_loggedPages[row.page]));
        const std::uint64_t fingerprint = remembered ? rowFingerprint(row) : 0;
        if (m_fromLog && m_handedRows.contains(fingerprint)) {
            ++m_stats.duplicatesDropped;
            return kStatusOk;
        }
        (row.deleted ? m_stats.deletedRows : m_stats.liveRows)++;
        const Status st = m_sink(row);
        if (st == kStatusOk) {
            ++m_stats.acceptedRows;
            if (remembered) m_handedRows.insert(fingerprint);
        }
        return st == kStatusStopped ? kStatusStopped : kStatusOk;
    }

    SqliteFile& m_file;
    const RowSink& m_sink;
    std::uint32_t m_columns;
    std::uint32_t m_valueLimit;
    std::vector<std::uint8_t> m_wanted;
    CarveShape m_shape;
    ScanStats& m_stats;
    BtreeWalker m_liveWalker;
    BtreeWalker m_carveWalker;
    BtreeWalker m_freelistWalker{m_file};
    CellPayload m_payload;
    std::vector<RecordValue> m_values;
    std::vector<Candidate> m_candidates;
    std::vector<std::uint8_t> m_page;
    // Leaves of the live walk with candidates: m_pendingCandidates[first, end).
    struct PendingPage {
        std::uint32_t page;
        std::uint32_t first;
        std::uint32_t end;
    };
    // Candidates kept for the carved pass (12 bytes each).
    static constexpr std::uint32_t kMaxPendingCandidates = 1u << 20;
    std::vector<PendingPage> m_pending;
    std::vector<Candidate> m_pendingCandidates;
    bool m_pendingValid = false;
    // The log's rows are checked against the fingerprints of every row
    // handed over before them (the database's and the log's own).
    bool m_keepFingerprints = false;
    bool m_fromLog = false;
    bool m_logOtherPages = true;
    std::vector<bool> m_loggedPages; // one per page: the log holds a version of it
    FingerprintSet m_handedRows;
};

} // namespace

Status scanTable(SqliteFile& file, std::string_view tableName, const RowSink& rowSink,
                 const ScanOptions& options) {
    if (!file.isOpen()) return kStatusInvalid;
    ChildPageMap roots;
    if (const Status st = file.findTableRoots(tableName, roots); st != kStatusOk) return st;
    if (roots.empty()) return kStatusOk;
    file.setCurrentTable(tableName);
    std::uint32_t columns = options.columnCount ? options.columnCount : file.expectedColumnCount(tableName);
    const auto schema = TableSchema::load(file, tableName);
    if (columns == 0 && schema) columns = schema->columnCount();
    file.setCurrentColumnCount(columns);

    ScanStats localStats;
    ScanStats& stats = options.stats ? *options.stats : localStats;
    std::uint32_t valueLimit = options.valueColumns ? options.valueColumns : kAllColumns;
    std::vector<std::uint8_t> wanted;
    if (!options.wantedColumns.empty()) {
        int highest = -1;
        for (const int position : options.wantedColumns)
            highest = std::max(highest, position);
        valueLimit = std::min(valueLimit, static_cast<std::uint32_t>(highest + 1));
        wanted.assign(valueLimit, 0);
        for (const int position : options.wantedColumns)
            if (position >= 0 && static_cast<std::uint32_t>(position) < valueLimit)
                wanted[static_cast<std::size_t>(position)] = 1;
    }
    TableScan scan(file, rowSink, columns, options.columnCount, valueLimit, std::move(wanted),
                   schema ? &*schema : nullptr, stats);
    if (options.logRows) scan.prepareLogFrames(options.logOtherPages);
    for (const auto& [root, key] : roots) {
        Status st = options.liveRows ? scan.liveRows(root, options.carvedRows) : kStatusOk;
        if (st == kStatusOk && options.carvedRows) st = scan.carvedRows(root);
        stats.damagedPages = scan.damagedPages();
        if (st != kStatusOk) return st;
    }
    if (options.freelistRows)
        if (const Status st = scan.freelist(); st != kStatusOk) return st;
    if (options.logRows)
        if (const Status st = scan.logFrames(); st != kStatusOk) return st;
    return kStatusOk;
}

Status scanFreedPages(SqliteFile& file, std::string_view tableName, const RowSink& rowSink,
                      const ScanOptions& options) {
    if (!file.isOpen()) return kStatusInvalid;
    file.setCurrentTable(tableName);
    const std::uint32_t columns =
        options.columnCount ? options.columnCount : file.expectedColumnCount(tableName);
    if (columns == 0) return kStatusOk;
    file.setCurrentColumnCount(columns);
    ScanStats localStats;
    ScanStats& stats = options.stats ? *options.stats : localStats;
    const std::uint32_t valueLimit = options.valueColumns ? options.valueColumns : kAllColumns;
    TableScan scan(file, rowSink, columns, options.columnCount, valueLimit, {}, nullptr, stats);
    return scan.freelist();
}

bool isPlausibleRow(const Row& row) {
    if (row.deleted == 0) return true;
    bool anyValue = false;
    for (const RecordValue& value : row.values) {
        if (value.isText() && !isAcceptableText(value.bytes)) return false;
        if (!value.isNull()) anyValue = true;
    }
    return row.mode == RowMode::cell || anyValue;
}

} // namespace orvelle
