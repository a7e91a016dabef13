#pragma once
/// WhatsApp chats from ChatStorage.sqlite: messages (`ZWAMESSAGE`) joined to
/// their chat (`ZWACHATSESSION`), the group member who sent them
/// (`ZWAGROUPMEMBER`) and their media item (`ZWAMEDIAITEM`), live and deleted,
/// sorted by date and grouped by chat. The SQLite library only checks that
/// ZWAMESSAGE can be queried and how many columns it has.
///
/// | table          | field     | column           | position |
/// |----------------|-----------|------------------|----------|
/// | ZWACHATSESSION | partnerId | ZCONTACTJID      | 20       |
/// |                | name      | ZPARTNERNAME     | 23       |
/// | ZWAGROUPMEMBER | chatKey   | ZCHATSESSION     | 7        |
/// |                | memberId  | ZMEMBERJID       | 10       |
/// |                | name      | ZCONTACTNAME     | 12       |
/// |                | (spare)   | ZFIRSTNAME       | -        |
/// | ZWAMEDIAITEM   | localPath | ZMEDIALOCALPATH  | 18       |
/// | ZWAMESSAGE     | fromMe    | ZISFROMME        | 12       |
/// |                | chatKey   | ZCHATSESSION     | 19       |
/// |                | memberKey | ZGROUPMEMBER     | 20       |
/// |                | mediaKey  | ZMEDIAITEM       | 22 (tables wider than 28 columns) |
/// |                | date      | ZMESSAGEDATE     | 25       |
/// |                | text      | ZTEXT            | 32       |
///
/// Ids are JIDs ("19198887386@s.whatsapp.net"); a chat's and a member's id is
/// the part before the at sign.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvelle {

class SqliteFile;

struct WhatsAppChatRow {
    std::uint32_t deleted = kLive;
    std::int64_t key = 0; ///< row id; 0 when carved (never joined)
    std::string partnerId;
    std::string partnerName;
    std::string memberIds;   ///< set by the join: comma-separated
    std::string memberNames; ///< set by the join: comma-separated
};

struct WhatsAppMemberRow {
    std::uint32_t deleted = kLive;
    std::int64_t key = 0;
    std::int64_t chatKey = 0;
    std::string memberId;
    std::string memberName;
};

struct WhatsAppMediaRow {
    std::uint32_t deleted = kLive;
    std::int64_t key = 0;
    std::string localPath;
};

struct WhatsAppTables {
    std::vector<WhatsAppMessageRecord> messages;
    std::vector<WhatsAppChatRow> chats;
    std::vector<WhatsAppMemberRow> members;
    std::vector<WhatsAppMediaRow> media;
};

/// Column resolution; `messageColumnCount` is what the library reported for
/// ZWAMESSAGE (the media column's fixed position needs more than 28).
TableColumns whatsAppMessageColumns(const SqliteFile& file, int messageColumnCount);
TableColumns whatsAppChatColumns(const SqliteFile& file);
TableColumns whatsAppMemberColumns(const SqliteFile& file);
TableColumns whatsAppMediaColumns(const SqliteFile& file);

Status decodeWhatsAppMessageRows(SqliteFile& file, const TableColumns& columns,
                                 std::vector<WhatsAppMessageRecord>& out);
Status decodeWhatsAppChatRows(SqliteFile& file, const TableColumns& columns,
                              std::vector<WhatsAppChatRow>& out);
Status decodeWhatsAppMemberRows(SqliteFile& file, const TableColumns& columns,
                                std::vector<WhatsAppMemberRow>& out);
Status decodeWhatsAppMediaRows(SqliteFile& file, const TableColumns& columns,
                               std::vector<WhatsAppMediaRow>& out);

/// Joins members to chats and chats, members and media to messages, then
/// sorts the messages by date (stable) and groups them by chat key.
WhatsAppChatMap joinWhatsAppTables(WhatsAppTables tables);

/// The part of a JID before its at sign; empty when it has none.
std::string jidUser(std::string_view jid);

/// Decodes the chat database. Returns 0, kStatusFileMissing, 1006 when
/// ZWAMESSAGE cannot be queried, or a page-reader error (nothing decoded).
Status decodeWhatsApp(const std::filesystem::path& chatDb, WhatsAppChatMap& out,
                      const DecodeContext& context = {});

} // namespace orvelle
