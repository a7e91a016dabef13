#pragma once
/// QQ chats from an account's QQ.db: `tb_c2cTables` lists one message table
/// per conversation partner ("tb_c2cMsg_<partner number>"), and each of those
/// tables holds that conversation, live and deleted rows alike.
///
/// | table                | field     | position | meaning                          |
/// |----------------------|-----------|----------|----------------------------------|
/// | tb_c2cTables (1)     | tableName | 0        | a partner table's name           |
/// | tb_c2cMsg_<n> (50)   | sender    | 1        | the sender's number (not read)   |
/// |                      | date      | 2        | Unix seconds                     |
/// |                      | direction | 4        | 0 sent by the owner, 1 received  |
/// |                      | text      | 6        | UTF-8                            |
///
/// Freed pages that held message rows (50 columns) cannot be tied to a
/// partner any more: their rows are gathered under the partner "Unknown"
/// (read once, not once per table).
///
/// Table names from the list are only ever looked up in the file's schema:
/// they never become SQL or a path.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle {

/// The partner of a message table: the part of its name after the last "_"
/// (the whole name when it has none).
std::string qqPartnerOf(std::string_view tableName);

/// Decodes QQ.db into `out` (replaced): partner -> messages, sorted by date
/// when a conversation holds more than two. Returns 0, the open's status,
/// kStatusTableMissing when the file has no table list,
/// kStatusDatabaseDamaged when a live entry of the list names a table the
/// file lacks (the other partners are still read), a page-reader error, or a
/// stop from the context's progress.
Status decodeQQ(const std::filesystem::path& qqDb, PartnerChatMap& out, const DecodeContext& context = {});

} // namespace orvelle
