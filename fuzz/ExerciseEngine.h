#pragma once
// Runs every part of the SQLite record engine over one file: the schema, the
// CREATE TABLE parser, the b-tree walks, the table driver over a fixed list
// of tables and the freed pages alone, with a row routine that reads every
// byte it is given. Shared by the fuzz target and the test that replays its
// regression inputs; a crash, a hang or a read outside a buffer shows up
// under the sanitizers.

#include "sqlite_records/Carver.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/TableSchema.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace orvelle::fuzz {

/// Tables the device decoders read, and one that only the schema describes.
inline constexpr std::string_view kFuzzTables[] = {
    "message",
    "handle",
    "attachment",
    "message_attachment_join",
    "ABPersonFullTextSearch_content",
    "ZNOTE",
    "ZNOTEBODY",
    "call",
    "ZCALLRECORD",
    "ZWAMESSAGE",
    "ZWACHATSESSION",
    "ZWAGROUPMEMBER",
    "ZWAMEDIAITEM",
    "tb_c2cMsg_1",
    "Chat_1",
    "T",
};

/// Sums every byte a row exposes (so that a bad view is touched) and answers
/// like a decoder would.
inline std::uint64_t touchRow(const Row& row) {
    std::uint64_t sum = row.rowid + row.page + row.offset + row.headerLength;
    for (const RecordValue& value : row.values) {
        sum += value.serialType + static_cast<std::uint64_t>(value.integer);
        for (char c : value.bytes)
            sum += static_cast<unsigned char>(c);
    }
    for (std::uint8_t b : row.record)
        sum += b;
    if (!row.pageBytes.empty()) sum += row.pageBytes.front() + row.pageBytes.back();
    return sum;
}

/// Returns a value derived from everything read (keeps the work observable).
inline std::uint64_t exerciseDatabase(const std::filesystem::path& path) {
    SqliteFile file;
    if (file.open(path) != kStatusOk) return 0;
    std::uint64_t sum = file.freelistPages().size();
    std::vector<SchemaEntry> schema;
    readSchema(file, schema);
    for (const SchemaEntry& entry : schema)
        if (const auto table = TableSchema::parse(entry.sql))
            sum += table->columnCount() + table->columnIndex("text");
    for (std::string_view table : kFuzzTables) {
        ScanStats stats;
        ScanOptions options;
        options.stats = &stats;
        int rows = 0;
        scanTable(
            file, table,
            [&](const Row& row) {
                sum += touchRow(row);
                // Vary the answers: take some rows, reject others, stop late.
                if (++rows > 100000) return kStatusStopped;
                return isPlausibleRow(row) ? kStatusOk : kStatusInvalid;
            },
            options);
        sum += stats.pagesRead;
        ChildPageMap roots;
        file.findTableRoots(table, roots);
        std::vector<std::uint8_t> page;
        for (const auto& [root, key] : roots) {
            if (file.readPage(root, page) != kStatusOk) continue;
            CellOffsetMap cells;
            file.collectLeafCells(page, root, cells);
            CellOffsetMap candidates;
            collectCandidates(file, page, root, candidates);
            sum += cells.size() + candidates.size() +
                   static_cast<std::uint64_t>(file.countRecordColumns(page, root));
        }
    }
    // The freed pages alone, as for rows whose table is gone (a chat app's
    // message tables of nine columns), with no live tree walked first.
    ScanOptions freed;
    freed.columnCount = 9;
    scanFreedPages(
        file, "Chat_", [&](const Row& row) {
            sum += touchRow(row);
            return isPlausibleRow(row) ? kStatusOk : kStatusInvalid;
        },
        freed);
    return sum;
}

} // namespace orvelle::fuzz
