#pragma once
/// Text messages from sms.db: four tables read live and deleted
/// (`message`, `handle`, `attachment`, `message_attachment_join`), joined to
/// the other party's address, the contact name from the address book and the
/// first attachment's file name, sorted by date and grouped by conversation.
///
/// Fields are found by column name in each table's statement (the `message`
/// table grew from 38 to 51, 68 and 74 columns, always by appending); the
/// fixed positions serve when a statement cannot be read:
///
/// | table                   | field          | column          | position |
/// |-------------------------|----------------|-----------------|----------|
/// | message                 | text           | text            | 2        |
/// |                         | handleId       | handle_id       | 5        |
/// |                         | archived text  | attributedBody  | 8        |
/// |                         | date           | date            | 15       |
/// |                         | fromMe         | is_from_me      | 21       |
/// | handle                  | address        | id              | 1        |
/// | attachment              | fileName       | filename        | 4        |
/// | message_attachment_join | messageId      | message_id      | 0        |
/// |                         | attachmentId   | attachment_id   | 1        |
///
/// Recent devices often leave `text` NULL and keep the text only in
/// `attributedBody` (an archived attributed string, see TypedStream.h): the
/// archive's plain string is then the message text.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvelle {

class SqliteFile;

/// A `handle` row: the other party of a conversation.
struct HandleRow {
    std::uint32_t deleted = kLive;
    std::int64_t rowId = 0; ///< 0 for a carved row (never joined)
    std::string address;
};

/// An `attachment` row.
struct AttachmentRow {
    std::uint32_t deleted = kLive;
    std::int64_t rowId = 0;
    std::string fileName;
    /// The message it belongs to, from the first join row naming it.
    std::optional<std::int64_t> messageId;
};

/// A `message_attachment_join` row.
struct JoinRow {
    std::uint32_t deleted = kLive;
    std::int64_t messageId = 0;
    std::int64_t attachmentId = 0;
};

/// The four tables of sms.db as decoded.
struct MessageTables {
    std::vector<MessageRecord> messages; ///< text, handleId, date, fromMe filled
    std::vector<HandleRow> handles;
    std::vector<AttachmentRow> attachments;
    std::vector<JoinRow> joins;
};

/// Column resolution of each table (by name, else the fixed positions).
TableColumns messageColumns(const SqliteFile& file);
TableColumns handleColumns(const SqliteFile& file);
TableColumns attachmentColumns(const SqliteFile& file);
TableColumns joinColumns(const SqliteFile& file);
/// The fixed positions of the `message` table (count left to the page reader).
TableColumns fixedMessageColumns();

/// The row routines run over each table. `decodeMessageRows` raises the
/// file's maxRowId with the rowid of every cell-mode row.
Status decodeMessageRows(SqliteFile& file, const TableColumns& columns, std::vector<MessageRecord>& out);
/// The same, handing each message to `take` as it is decoded.
Status decodeMessageRows(SqliteFile& file, const TableColumns& columns,
                         const std::function<void(MessageRecord&&)>& take);
Status decodeHandleRows(SqliteFile& file, const TableColumns& columns, std::vector<HandleRow>& out);
Status decodeAttachmentRows(SqliteFile& file, const TableColumns& columns, std::vector<AttachmentRow>& out);
Status decodeJoinRows(SqliteFile& file, const TableColumns& columns, std::vector<JoinRow>& out);

class ContactLookup;

/// The join of messages with the other tables: address, contactName (when
/// `contacts` is given) and attachmentName of a message come from the first
/// handle with the message's handle id, the first contact whose phone text
/// holds the address, and the first attachment (in table order) joined to the
/// message. Building it gives each attachment the message id of the first
/// join row naming it. Indexed: one look-up per message, one contact look-up
/// per handle.
class MessageJoin {
public:
    /// Uses the handles, attachments and join rows of `tables`, which must
    /// outlive it (its messages are not read).
    MessageJoin(MessageTables& tables, ContactLookup* contacts);
    /// Sets the three joined fields of `message`.
    void fill(MessageRecord& message);

private:
    struct Handle {
        const std::string* address = nullptr;
        const std::string* contactName = nullptr; ///< looked up at the first message
    };
    ContactLookup* m_contacts;
    std::unordered_map<std::int64_t, Handle> m_handles;
    std::unordered_map<std::int64_t, const std::string*> m_firstAttachment;
};

/// Fills the joined fields of every message of `tables` (see MessageJoin).
void joinMessageTables(MessageTables& tables, ContactLookup* contacts);

/// Messages sorted by date (ASCII case ignored, stable) and grouped by handle id.
ConversationMap groupConversations(std::vector<MessageRecord> messages);

/// Decodes sms.db and, when `addressBook` is not empty, looks contact names up
/// in it. A missing or unreadable address book costs only the names (its
/// status goes to `report`). `maxRowId` receives the largest rowid of the
/// message rows read as cells. Returns 0, the sms.db open's code (no
/// messages), or the progress callback's non-zero answer (no messages).
Status decodeMessages(const std::filesystem::path& smsDb, const std::filesystem::path& addressBook,
                      const DecodeContext& context, ConversationMap& out, std::uint64_t& maxRowId,
                      DecodeReport* report = nullptr);

/// Appends every `message` row, live and deleted, to `output` as SQL value
/// lines (SqlValueLine.h), after a header line when the table's statement can
/// be read, each line then ending with the date as local time. Column 0 is
/// the rowid (carved rows get maxRowId + 1, which is then raised). A deleted
/// row is made ready to be put back: a fresh guid, finished, and read (on
/// its own date) unless it was sent; it keeps its own date. A deleted row
/// whose account_guid is not a 36-character GUID text is left out.
Status exportMessageRows(const std::filesystem::path& smsDb, const std::filesystem::path& output,
                         std::uint64_t& maxRowId, const DecodeContext& context = {});

} // namespace orvelle
