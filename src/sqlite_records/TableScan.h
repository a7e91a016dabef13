#pragma once
/// The per-table driver: one call yields a table's live rows, the rows carved
/// from the free space of its pages, and the rows of its freed pages, each
/// handed to the caller's row routine with a deleted flag.
///
/// Order: for each root page of the table (ascending), first the live rows of
/// its leaf pages (pages ascending, cells in pointer order), then the carved
/// candidates of the same pages (pages ascending, candidates in the order the
/// sources found them: freeblock, tail, gap, stale); then, for each freelist
/// page in freelist order that was a leaf of this table (its first record has
/// the expected column count), its cells and then its carved candidates; last,
/// the whole cells that still stand on freelist trunk pages past their list;
/// last, when a write-ahead log is applied, every frame of it that the
/// database does not use (older versions of pages, uncommitted or damaged
/// frames) and that was a leaf of this table: its cells and carved candidates,
/// all deleted rows of source wal. A row from the log equal to a row already
/// handed over from a page the log holds (same values past column 0) is
/// dropped, so a live row or one already carved from the database is not
/// reported twice, nor one that several versions of a page hold.
///
/// The driver streams: memory does not grow with the file (one page buffer per
/// b-tree level, a visited bitmap of one bit per page, and the carving
/// candidates found during the live walk, a few bytes each and at most a few
/// megabytes, so that only the pages that have some are read again). With a
/// log that has frames to carve, a bit per page and 16 bytes per row handed
/// over from a page the log holds are kept for the duplicate check.

#include "core/Status.h"
#include "sqlite_records/Record.h"
#include "sqlite_records/RowMode.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace orvelle {

class SqliteFile;

/// What a row routine receives. Every view is valid only during the call.
struct Row {
    /// cell: a complete cell (live, or a cell of a freelist page);
    /// headerless: a candidate carved from free space.
    RowMode mode = RowMode::cell;
    /// Where it was found: live for live cells; freelist for the cells of
    /// freelist pages (cell mode) and for whole cells found on freelist trunk
    /// pages (headerless); freeblock, tail, gap or stale for carved candidates,
    /// also those of freelist pages; wal for every row of a frame of the
    /// write-ahead log that the database does not use.
    RowSource source = RowSource::live;
    /// 0 for a live row, 1 for a deleted one (every carved row and every cell
    /// of a freelist page).
    std::uint32_t deleted = 0;
    /// 0-based page number the row was found on.
    std::uint32_t page = 0;
    /// Byte offset within that page: the cell start (cell mode) or the first
    /// serial type read (headerless).
    std::uint32_t offset = 0;
    /// The cell's rowid (cell mode); 0 for headerless rows.
    std::int64_t rowid = 0;
    /// Cell mode: the header-length varint's value. Headerless: the bytes of
    /// serial types read.
    std::uint64_t headerLength = 0;
    /// 0, or 1 for a headerless row whose column 0 serial type was lost.
    std::uint32_t firstColumn = 0;
    /// A headerless row whose column 0 held a value that the free space does
    /// not tell (its serial type lost, more than one value of its width
    /// possible): values[0] reads as lost; the other values are whole.
    bool partial = false;
    /// The column values: values[i] is column i. Cell mode: one per serial type
    /// of the record header (the record's own column count, which may be less
    /// than the table's when columns were added later: missing columns are
    /// NULL/default). Headerless: exactly the expected column count; when
    /// firstColumn is 1, values[0] is the value told by the width column 0's
    /// body takes in the free space, or a lost null (isLost()) for a rowid
    /// alias and for a partial row. With
    /// ScanOptions::valueColumns set, no more than that many values (the first
    /// columns); the columns past them were checked but not decoded. With
    /// ScanOptions::wantedColumns set, the columns below the limit that were
    /// not asked for read as lost too.
    std::span<const RecordValue> values;
    /// The record's bytes. Cell mode: the whole payload from the header-length
    /// varint (overflow assembled). Headerless: from the first serial type read
    /// to the end of the body.
    ByteSpan record;
    /// The raw bytes from `offset` to the usable end of the page (what a row
    /// routine that decodes by itself would be given).
    ByteSpan pageBytes;
    /// The expected column count the candidate was checked against (0 = none).
    std::uint32_t columnCount = 0;
};

/// The row routine: answers kStatusOk (0) when it took the row, kStatusInvalid
/// (87) when the row is not a valid row of its table (dropped), or
/// kStatusStopped (2) to end the scan (scanTable then returns 2).
using RowSink = std::function<Status(const Row&)>;

/// Counters of one scanTable run.
struct ScanStats {
    std::uint64_t liveRows = 0;     ///< live cells handed to the row routine
    std::uint64_t deletedRows = 0;  ///< deleted rows handed to the row routine
    std::uint64_t acceptedRows = 0; ///< rows the routine took (answered 0)
    std::uint64_t pagesRead = 0;
    /// Candidates found twice at one offset, and rows of the log's frames
    /// equal to a row already handed over.
    std::uint64_t duplicatesDropped = 0;
    /// Pages of the table's live tree that are not b-tree pages (damaged):
    /// the rows below them could not be read.
    std::uint64_t damagedPages = 0;
};

struct ScanOptions {
    /// The expected column count used for carving and for decoding headerless
    /// rows. 0: SqliteFile::expectedColumnCount(table), and when that has no
    /// rule, the column count of the table's CREATE TABLE statement.
    std::uint32_t columnCount = 0;
    bool liveRows = true;     ///< hand over the live cells
    bool carvedRows = true;   ///< carve the free space of the table's pages
    bool freelistRows = true; ///< read the freelist pages
    bool logRows = true;      ///< carve the frames of the write-ahead log the database does not use
    /// With logRows: also frames of pages that were never this table's, taken
    /// when their first record has its column count. Off where several tables
    /// share one column count, so that one table does not claim another's rows.
    bool logOtherPages = true;
    /// Decode the values of the first this many columns only (0: all). A row
    /// routine that reads only some columns names the highest it needs + 1;
    /// the other columns are still checked as before (valid serial types, a
    /// body that fits the record), so exactly the same rows are handed over.
    std::uint32_t valueColumns = 0;
    /// When not empty: the only columns whose values are decoded (negative
    /// positions are ignored); the others below the limit read as lost
    /// (RecordValue::isLost). With valueColumns 0 the limit is the highest
    /// position + 1. Which rows are handed over does not change.
    std::span<const int> wantedColumns;
    ScanStats* stats = nullptr; ///< filled when given
};

/// Runs the live rows, the carved candidates and the freelist pages of
/// `tableName` through `rowSink`. Sets the file's current table. Returns 0,
/// the first page-read error of the table's b-tree walk (rows already handed
/// over stay), 87 when the file is not open, or 2 when the row routine stopped
/// the scan. A table that does not exist yields no rows and 0.
Status scanTable(SqliteFile& file, std::string_view tableName, const RowSink& rowSink,
                 const ScanOptions& options = {});

/// The freelist pass of scanTable alone, for rows whose table is gone or not
/// known: every freed table page whose first record has the expected column
/// count (options.columnCount, else the rule for `tableName`, which need not
/// exist) gives its cells and its carved candidates, and the trunk pages
/// their whole cells, all as deleted rows. No count: no rows. Returns 0, 87
/// when the file is not open, or 2 when the row routine stopped the scan.
Status scanFreedPages(SqliteFile& file, std::string_view tableName, const RowSink& rowSink,
                      const ScanOptions& options = {});

/// The generic acceptance check for a row of unknown meaning: a live row is
/// always taken; a deleted row needs every text value to be valid UTF-8
/// without U+FFFD, and a headerless row at least one non-null value. The `sqlite carve` command and the
/// recovery report use it.
bool isPlausibleRow(const Row& row);

} // namespace orvelle
