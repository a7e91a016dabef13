#pragma once
/// The page reader: one SQLite database file opened read-only for one scan.
/// It checks the magic string, learns the page size, the reserved bytes and
/// the freelist, finds a table's root pages through the schema on page 1,
/// walks table b-trees and assembles cell payloads across overflow pages.
/// No part of it uses the SQLite library.
///
/// Page numbers are 0-based inside the program (file page number - 1); page n
/// starts at byte n * pageSize. File offsets are 64-bit.
///
/// A write-ahead log beside the database (its path + "-wal", or one named
/// when opening) is applied as SQLite would: every page is read at its latest
/// committed version in the log, and the database ends where the last valid
/// commit says. Neither file is ever changed. A log that cannot be used is
/// left out, and logProblem() says why.
///
/// Every walk is bounded: trunk pages hold at most (usableSize - 8) / 4 leaves
/// and no trunk is read twice; overflow chains, b-tree descents and freelists
/// never visit a page twice; hostile files give fewer rows, never a hang.

#include "core/Status.h"
#include "platform/File.h"
#include "sqlite_records/PageMaps.h"
#include "sqlite_records/SqliteFormat.h"
#include "sqlite_records/WriteAheadLog.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

/// The payload of one table leaf cell.
struct CellPayload {
    std::uint64_t payloadLength = 0; ///< the cell's payload-length varint
    std::int64_t rowid = 0;          ///< the cell's rowid varint
    std::uint32_t cellEnd = 0;       ///< page offset just past the cell's local bytes (and overflow number)
    bool overflowed = false;         ///< the payload continued on overflow pages
    bool complete = false;           ///< all payloadLength bytes were gathered
    /// The payload (header-length varint onwards): a view into the page when it
    /// is wholly local, otherwise into `assembled`. Shorter than payloadLength
    /// when an overflow chain broke off.
    ByteSpan payload;
    std::vector<std::uint8_t> assembled; ///< storage for an overflowed payload
};

/// Values that table decoders learn while reading one database and that stay
/// with the file object across table walks.
struct DecodeState {
    std::uint64_t maxRowId = 0;        ///< largest rowid among live records of the table being decoded
    std::uint64_t maxContactRowId = 0; ///< largest rowid among address-book rows
    std::int32_t whatsAppMessageColumns = 28;
    std::int32_t newAddressBookLayout = 0;
    std::int32_t newerCallLayout = 0;
    std::int32_t callColumnCount = 0; ///< column count of `call` learnt from a live record (0 = unknown)
    std::int32_t addressBookHeaderBytes = 0; ///< serial-type bytes of an address-book record (0 = unknown)
    std::int32_t messageColumns = 38;
};

class SqliteFile {
public:
    SqliteFile() = default;
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    /// Opens `path` read-only, checks the magic string (87 when wrong or the
    /// file is shorter than 16 bytes), reads page size, reserved bytes and the
    /// freelist. May be called again: the previous file is closed first.
    /// Returns 0, the system error of the open, or 87. The log that `log`
    /// names is applied when it is usable; one that is not never fails the open.
    /// `links` tells whether the database and its log may be links (a loose
    /// file the user named) or not (a file of a backup).
    Status open(const std::filesystem::path& path, const LogOptions& log = {},
                platform::LinkRule links = platform::LinkRule::refuse);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    /// Page size from the header (1 in the header means 65,536).
    std::uint32_t pageSize() const { return m_pageSize; }
    /// Page size less the reserved bytes at the end of each page.
    std::uint32_t usableSize() const { return m_usableSize; }
    std::uint64_t fileSize() const { return m_fileSize; }
    /// Number of pages of the database: the size the log's last commit gives,
    /// else the pages the file holds (a partial last page counts).
    std::uint64_t pageCount() const;
    /// The write-ahead log applied over the file (not open when there is none).
    const WriteAheadLog& writeAheadLog() const { return m_log; }
    /// Empty, or why the log beside the database was left out in whole or in
    /// part (for a warning).
    const std::string& logProblem() const { return m_log.problem(); }
    /// Reads the page held by one frame of the log into `buffer` (resized to pageSize()).
    Status readLogFrame(const LogFrame& frame, std::vector<std::uint8_t>& buffer) const;
    /// 0-based freelist leaf pages, in the order the trunk pages list them
    /// (trunk pages themselves are not listed; each page at most once).
    const std::vector<std::uint32_t>& freelistPages() const { return m_freelistPages; }
    /// 0-based freelist trunk pages in chain order. Past their leaf list they
    /// keep what the page held before it was freed.
    const std::vector<std::uint32_t>& freelistTrunkPages() const { return m_freelistTrunks; }

    /// Reads `length` bytes at `offset` of the database (pages the log holds
    /// come from the log). 87 when no file is open, 30 when fewer bytes could
    /// be read (also past the log's committed size), else the system error or 0.
    Status readAt(std::uint64_t offset, std::size_t length, void* buffer) const;
    /// Reads page `pageIndex` into `buffer` (resized to pageSize()).
    Status readPage(std::uint32_t pageIndex, std::vector<std::uint8_t>& buffer) const;

    /// The expected column count of a table by its name (the fixed rules for
    /// the device tables; 0 = no rule); also stored as currentColumnCount().
    std::uint32_t expectedColumnCount(std::string_view tableName);
    std::uint32_t currentColumnCount() const { return m_currentColumnCount; }
    /// Sets the expected column count of the current table (when it comes from
    /// elsewhere than the fixed rules, for instance the table's schema).
    void setCurrentColumnCount(std::uint32_t count) { m_currentColumnCount = count; }

    /// Adds every root page (0-based, key -1) of the schema rows whose name or
    /// tbl_name equals `tableName` (ignoring ASCII case); rows whose root page
    /// is not an integer of serial type 1 to 4, or is 0, are skipped.
    Status findTableRoots(std::string_view tableName, ChildPageMap& roots) const;

    /// Walks the b-tree below page `pageIndex` (held in `page`) and stores the
    /// cell pointers of every table leaf page under it. A failing page read
    /// ends the walk with its code; pages already collected stay.
    Status collectLeafCells(ByteSpan page, std::uint32_t pageIndex, CellOffsetMap& out) const;

    /// Number of serial types in the record of the first cell of a leaf page
    /// (overflow followed); -1 when it cannot be decoded.
    std::int64_t countRecordColumns(ByteSpan page, std::uint32_t pageIndex) const;

    /// Decodes the table leaf cell at `cellOffset` of page `pageIndex` (held in
    /// `page`): payload length, rowid and the payload, gathered across overflow
    /// pages where the local part (computed as the file format defines it)
    /// ends. Returns 87 when the cell does not fit in the page; a broken
    /// overflow chain leaves `complete` false but is not an error.
    Status readCellPayload(ByteSpan page, std::uint32_t pageIndex, std::size_t cellOffset,
                           CellPayload& out) const;

    /// Bytes of a payload of `payloadLength` that a table leaf cell keeps on
    /// its page (the rest goes to overflow pages).
    std::uint64_t localPayloadLength(std::uint64_t payloadLength) const;

    /// The name of the table now being decoded.
    const std::string& currentTable() const { return m_currentTable; }
    void setCurrentTable(std::string_view name) { m_currentTable = name; }

    /// What the table decoders learn while reading this file.
    DecodeState& state() { return m_state; }
    const DecodeState& state() const { return m_state; }

private:
    void readFreelist(std::uint32_t firstTrunk);
    void openLog(const std::filesystem::path& database, const LogOptions& log, platform::LinkRule links);
    Status readFileAt(std::uint64_t offset, std::size_t length, std::uint8_t* buffer) const;

    platform::InputFile m_file;
    WriteAheadLog m_log;
    std::uint64_t m_fileSize = 0;
    std::uint32_t m_pageSize = 0;
    std::uint32_t m_usableSize = 0;
    std::vector<std::uint32_t> m_freelistPages;
    std::vector<std::uint32_t> m_freelistTrunks;
    std::string m_currentTable;
    std::uint32_t m_currentColumnCount = 0;
    DecodeState m_state;
};

} // namespace orvelle
