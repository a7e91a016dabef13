#pragma once
/// What the QQ and WeChat decoders share: both apps keep one message table
/// per conversation partner, with a Unix date, a direction flag and the text
/// at fixed positions, and both hand back a partner's messages in date order.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/TableScan.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace orvelle {

class DateTextCache;
class SqliteFile;

/// Where a partner table keeps the fields that are read.
struct MessengerColumns {
    std::uint32_t count = 0; ///< the table's column count (carving)
    int date = -1;           ///< Unix seconds
    int text = -1;
    int direction = -1; ///< 0: sent by the account's owner, 1: received
};

/// The partner's conversation facts every message of the table carries.
struct MessengerPartner {
    std::string address;     ///< the partner's id as the app stores it
    std::string contactName; ///< the partner's nickname, when known
};

/// A Unix time as local-time text, or empty when it is 0, negative or past
/// the end of 2100: such a value is a missing or broken date, not a day the
/// message was sent on.
std::string messengerDateText(std::int64_t unixSeconds, DateTextCache& dates);

/// The pages of a file that hold live rows of its partner tables.
using LivePages = std::unordered_set<std::uint32_t>;

/// Runs one partner table through the table driver with `options` (its
/// column count and value limit set from `columns`) and appends its messages
/// to `out`. A row with neither a date nor a text is no message. Returns
/// scanTable's status. `livePages` receives the pages that held live rows.
Status decodeMessengerTable(SqliteFile& file, std::string_view table, const MessengerColumns& columns,
                            const MessengerPartner& partner, ScanOptions options, DateTextCache& dates,
                            std::vector<MessageRecord>& out, LivePages& livePages);

/// The partner of the rows of freed message pages.
inline constexpr std::string_view kUnknownPartner = "Unknown";

/// The rows of the freed pages of `file` whose records have the message
/// table's column count (and their carved candidates), as deleted messages of
/// no partner. A freed page can no longer say which partner's table it
/// belonged to. The `livePages` the partner tables were read from are left
/// out: a freed interior page may still point at them. Returns
/// scanFreedPages' status.
Status decodeFreedMessengerPages(SqliteFile& file, std::string_view tablePrefix, const LivePages& livePages,
                                 const MessengerColumns& columns, DateTextCache& dates,
                                 std::vector<MessageRecord>& out);

/// Leaves out of the "Unknown" conversation every message that a partner's
/// conversation already holds (same date, direction and text): a freed page
/// may keep a copy of a row that still stands, or was recovered, in its table.
/// An "Unknown" left empty is removed.
void dropKnownFromUnknown(PartnerChatMap& chats);

/// Sorts a conversation by date (stable) when it holds more than two
/// messages; two or fewer stay in the order they were read.
void sortConversation(std::vector<MessageRecord>& messages);

} // namespace orvelle
