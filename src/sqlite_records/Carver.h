#pragma once
/// Carving: finding the starts of deleted records in the free space of table
/// pages. Four sources are searched on each leaf page, in this order:
///  1. freeblock - the freeblock chain (a freed cell whose first 4 bytes became
///     the freeblock header);
///  2. tail      - the space behind the highest cell;
///  3. gap       - the unallocated gap between the cell pointer array and the
///     lowest cell;
///  4. stale     - cell pointers left behind the live ones.
/// Each candidate is checked against the shape of the table's records (its
/// expected column count c): c serial types (c - 1 when column 0's was lost),
/// none of them 10 or 11, not all NULL, a body that is not all zero bytes and
/// that ends inside the free space it was found in; with the table's
/// declaration known, every value's storage class fits its column's affinity.
/// A freed cell is read the way that fills its free span (a freeblock's size
/// tells the cell's size) or is followed by the next freed cell merged into
/// the same span; a reading is taken only when no other fits as well. When
/// column 0's serial type was lost but the column holds a value (no rowid
/// alias), its body still leads the body: its width is what the span leaves
/// for it, and its serial type what that width allows for the column's
/// affinity; when more than one could be, the row is partial (column 0 read
/// as lost), never a guess. Freed space read from a stale cell pointer is
/// taken only as whole records that fit their freeblock.
/// A candidate whose bytes overlap a live cell or a candidate already taken is
/// dropped, so a record found by two sources is emitted once. The probing
/// work per page is bounded.
///
/// Deleted cells keep their bytes because SQLite (secure_delete off) only
/// writes a 4-byte freeblock header (next freeblock, size) over the start of
/// a freed cell: the payload-length and rowid varints, and sometimes the
/// header length and first serial type, are lost.

#include "core/Status.h"
#include "sqlite_records/PageMaps.h"
#include "sqlite_records/Record.h"
#include "sqlite_records/RowMode.h"
#include "sqlite_records/SqliteFormat.h"
#include "sqlite_records/TableSchema.h"

#include <cstdint>
#include <vector>

namespace orvelle {

class BtreePage;
class SqliteFile;

/// One candidate record start.
struct Candidate {
    std::uint16_t offset = 0; ///< page offset of the first serial type read
    RowSource source = RowSource::freeblock;
    /// 0 when the record's header showed that the serial types start at
    /// column 0; -1 when unknown (judged by the first byte: 0 means column 0,
    /// otherwise column 0's serial type was lost); 1 when column 0 was lost.
    std::int8_t firstColumn = -1;
    /// Column 0 could not be told (firstColumn 1, column 0 no rowid alias):
    /// its value reads as lost and the row is partial.
    bool partial = false;
    /// firstColumn 1: the width of column 0's body, which leads the body.
    std::uint16_t lostWidth = 0;
    /// firstColumn 1: column 0's serial type as the free span tells it
    /// (kUnknownLostType when it does not).
    std::uint32_t lostType = kUnknownLostType;

    static constexpr std::uint32_t kUnknownLostType = ~std::uint32_t(0);

    /// What decodeHeaderless needs to know of column 0.
    LostColumn lostColumn() const;
};

/// How candidates are checked.
struct CarveShape {
    /// Expected column count c (0: no rule; only length checks apply).
    std::uint32_t columnCount = 0;
    /// Column count for the header searches of the tail and gap sources
    /// (defaults to columnCount when 0).
    std::uint32_t searchColumnCount = 0;
    /// Require the 36 bytes at the start of a freeblock record's body to be
    /// non-zero (the GUID of a `message` row).
    bool requireGuid = false;
    /// The declared affinity of each column, from the table's CREATE TABLE
    /// (empty when not known or when its column count is not columnCount).
    /// When known, a candidate is taken only when every value's storage class
    /// fits its column, and a lost column 0's serial type is told from the
    /// width its body takes in the free span.
    std::vector<ColumnAffinity> affinities;
    /// The rowid-alias column (INTEGER PRIMARY KEY, stored as NULL), -1 when
    /// none or not known.
    int rowidAlias = -1;
};

/// The carving shape for the file's current table (its expected column count,
/// `callColumnCount` for `call`, the GUID rule for `message`), with
/// `columnCount` in place of the table rule when it is not 0. `schema`, when
/// given and of the shape's column count, adds the columns' affinities.
CarveShape carveShapeFor(const SqliteFile& file, std::uint32_t columnCount,
                         const TableSchema* schema = nullptr);

/// Runs the four sources on one table leaf page and appends the candidates
/// found (duplicates and starts inside live cells dropped).
void findPageCandidates(const BtreePage& page, const CarveShape& shape, std::vector<Candidate>& out);

/// Searches a freed page that is no b-tree page any more (a freelist trunk)
/// from byte `dataStart` on for whole cells of the table's shape: payload
/// length, rowid, a header of c serial types, a record as long as the payload.
void findFreedPageCandidates(ByteSpan page, std::uint32_t usableSize, std::uint32_t dataStart,
                             const CarveShape& shape, std::vector<Candidate>& out);

/// The carving walk for one b-tree page and all pages below it: for each table
/// leaf page, the candidate offsets in the order found. Uses the expected
/// column count of the file's current table. A failing page read ends the walk
/// with its code; candidates already collected stay.
Status collectCandidates(const SqliteFile& file, ByteSpan page, std::uint32_t pageIndex, CellOffsetMap& out);

} // namespace orvelle
