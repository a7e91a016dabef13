#pragma once
/// WeChat chats of one account: the friends (`Friend`, in MM.sqlite and, on
/// newer app versions, in WCDB_Contact.sqlite) and one message table per
/// conversation partner, named "Chat_" + the MD5 digest of the partner's user
/// name (UTF-8 bytes) in lower-case hex. Older app versions keep those tables
/// in MM.sqlite; newer ones spread them over message_1.sqlite ...
/// message_N.sqlite beside it. A partner's rows from every file make one
/// conversation.
///
/// | table           | field     | position | meaning                         |
/// |-----------------|-----------|----------|---------------------------------|
/// | Friend (13)     | userName  | 1        | the partner's id ("wxid_...")   |
/// |                 | nickName  | 2        | the partner's shown name        |
/// | Chat_<md5> (9)  | date      | 3        | Unix seconds                    |
/// |                 | text      | 4        | UTF-8                           |
/// |                 | direction | 8        | 0 sent by the owner, 1 received |
///
/// Freed pages that held message rows (9 columns) cannot be tied to a table
/// any more: their rows are gathered under the partner "Unknown". A message
/// table that no friend's name leads to is still read, under its own table
/// name.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

/// The databases of one WeChat account.
struct WeChatDatabases {
    std::filesystem::path mm;                        ///< MM.sqlite
    std::vector<std::filesystem::path> messageFiles; ///< message_1.sqlite ... (may be empty)
    std::filesystem::path contacts;                  ///< WCDB_Contact.sqlite; empty when there is none
};

/// "Chat_" + MD5 of the user name's UTF-8 bytes in lower-case hex.
std::string weChatTableName(std::string_view userName);

/// Decodes an account into `out` (replaced): partner user name -> messages
/// (each carrying the friend's nickname), sorted by date when a conversation
/// holds more than two. Returns 0, the open's status of MM.sqlite, or the
/// first problem of the other files and tables (what could be read is kept):
/// kStatusTableMissing when no file has a friend list, a file's open status
/// (kStatusDatabaseDamaged for a message or contact file that is missing:
/// the account is incomplete), a page-reader error, or a stop from the
/// context's progress.
Status decodeWeChat(const WeChatDatabases& files, PartnerChatMap& out, const DecodeContext& context = {});

/// The same for a lone MM.sqlite.
Status decodeWeChat(const std::filesystem::path& mmDb, PartnerChatMap& out,
                    const DecodeContext& context = {});

} // namespace orvelle
