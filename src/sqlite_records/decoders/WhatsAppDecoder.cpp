#include "sqlite_records/decoders/WhatsAppDecoder.h"

#include "core/AppleTime.h"
#include "core/Text.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateOrder.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/SqliteProbe.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace orvelle {

namespace {

constexpr std::string_view kMessageTable = "ZWAMESSAGE";
constexpr std::string_view kChatTable = "ZWACHATSESSION";
constexpr std::string_view kMemberTable = "ZWAGROUPMEMBER";
constexpr std::string_view kMediaTable = "ZWAMEDIAITEM";
constexpr std::string_view kMessageProbe = "select * from ZWAMESSAGE;";
/// The older message table; wider ones also link media items.
constexpr int kNarrowMessageColumns = 28;

enum MessageField : std::size_t { kFromMe, kChat, kMember, kMedia, kDate, kText };
constexpr std::array<FieldColumn, 6> kMessageFields{{{"ZISFROMME", 12},
                                                     {"ZCHATSESSION", 19},
                                                     {"ZGROUPMEMBER", 20},
                                                     {"ZMEDIAITEM", 22},
                                                     {"ZMESSAGEDATE", 25},
                                                     {"ZTEXT", 32}}};
enum ChatField : std::size_t { kPartnerJid, kPartnerName };
constexpr std::array<FieldColumn, 2> kChatFields{{{"ZCONTACTJID", 20}, {"ZPARTNERNAME", 23}}};
enum MemberField : std::size_t { kMemberChat, kMemberJid, kMemberName, kMemberFirstName };
constexpr std::array<FieldColumn, 4> kMemberFields{
    {{"ZCHATSESSION", 7}, {"ZMEMBERJID", 10}, {"ZCONTACTNAME", 12}, {"ZFIRSTNAME", -1}}};
constexpr std::array<FieldColumn, 1> kMediaFields{{{"ZMEDIALOCALPATH", 18}}};

std::int32_t toInt32(std::int64_t value) {
    return static_cast<std::int32_t>(value);
}

} // namespace

std::string jidUser(std::string_view jid) {
    const auto at = jid.find('@');
    return at == std::string_view::npos ? std::string() : std::string(jid.substr(0, at));
}

TableColumns whatsAppMessageColumns(const SqliteFile& file, int messageColumnCount) {
    TableColumns columns = TableColumns::resolve(file, kMessageTable, kMessageFields, 0);
    if (columns.fromStatement() || messageColumnCount > kNarrowMessageColumns) return columns;
    auto narrow = kMessageFields;
    narrow[kMedia].fallbackPosition = -1;
    return TableColumns::fixed(narrow, 0);
}
TableColumns whatsAppChatColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kChatTable, kChatFields, 0);
}
TableColumns whatsAppMemberColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kMemberTable, kMemberFields, 0);
}
TableColumns whatsAppMediaColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kMediaTable, kMediaFields, 0);
}

Status decodeWhatsAppMessageRows(SqliteFile& file, const TableColumns& columns,
                                 std::vector<WhatsAppMessageRecord>& out) {
    DateTextCache dates;
    return scanRecordTable(
        file, kMessageTable,
        [&](const Row& row) {
            // A row that names no chat, no member and no date is no message.
            if (!holdsNumber(row, columns[kChat]) && !holdsNumber(row, columns[kMember]) &&
                !holdsNumber(row, columns[kDate]))
                return kStatusInvalid;
            WhatsAppMessageRecord message;
            if (readText(row, columns[kText], message.text) == TextField::rejected) return kStatusInvalid;
            message.deleted = row.deleted;
            message.rowId = static_cast<std::uint32_t>(row.rowid);
            const RecordValue* fromMe = columnValue(row, columns[kFromMe]);
            message.fromMe = fromMe && fromMe->isInteger() && fromMe->integer == 1 ? 1 : 0;
            if (const auto chat = readKey(row, columns[kChat])) message.chatKey = toInt32(*chat);
            if (const auto member = readKey(row, columns[kMember])) message.memberKey = toInt32(*member);
            if (const auto media = readKey(row, columns[kMedia])) message.mediaKey = toInt32(*media);
            if (const auto seconds = readAppleSeconds(row, columns[kDate]))
                message.date = dates.appleText(*seconds);
            out.push_back(std::move(message));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeWhatsAppChatRows(SqliteFile& file, const TableColumns& columns,
                              std::vector<WhatsAppChatRow>& out) {
    return scanWithColumns(
        file, kChatTable,
        [&](const Row& row) {
            WhatsAppChatRow chat;
            std::string jid;
            if (readText(row, columns[kPartnerJid], jid) == TextField::rejected ||
                readText(row, columns[kPartnerName], chat.partnerName) == TextField::rejected)
                return kStatusInvalid;
            chat.partnerId = jidUser(jid);
            chat.deleted = row.deleted;
            chat.key = row.rowid;
            out.push_back(std::move(chat));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeWhatsAppMemberRows(SqliteFile& file, const TableColumns& columns,
                                std::vector<WhatsAppMemberRow>& out) {
    return scanWithColumns(
        file, kMemberTable,
        [&](const Row& row) {
            WhatsAppMemberRow member;
            std::string jid, firstName;
            if (readText(row, columns[kMemberJid], jid) == TextField::rejected ||
                readText(row, columns[kMemberName], member.memberName) == TextField::rejected ||
                readText(row, columns[kMemberFirstName], firstName) == TextField::rejected)
                return kStatusInvalid;
            // Ids are JIDs; one without an at sign is kept whole.
            member.memberId = jid.find('@') == std::string::npos ? jid : jidUser(jid);
            if (member.memberName.empty()) member.memberName = firstName;
            member.deleted = row.deleted;
            member.key = row.rowid;
            member.chatKey = readKey(row, columns[kMemberChat]).value_or(0);
            out.push_back(std::move(member));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeWhatsAppMediaRows(SqliteFile& file, const TableColumns& columns,
                               std::vector<WhatsAppMediaRow>& out) {
    return scanWithColumns(
        file, kMediaTable,
        [&](const Row& row) {
            WhatsAppMediaRow media;
            if (readText(row, columns[0], media.localPath) == TextField::rejected) return kStatusInvalid;
            media.deleted = row.deleted;
            media.key = row.rowid;
            out.push_back(std::move(media));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

WhatsAppChatMap joinWhatsAppTables(WhatsAppTables tables) {
    // Members of each chat, in member order.
    std::unordered_map<std::int64_t, std::vector<const WhatsAppMemberRow*>> membersOfChat;
    std::unordered_map<std::int64_t, const WhatsAppMemberRow*> memberByKey;
    for (const auto& member : tables.members) {
        membersOfChat[member.chatKey].push_back(&member);
        if (member.key != 0) memberByKey.try_emplace(member.key, &member);
    }
    std::unordered_map<std::int64_t, const WhatsAppChatRow*> chatByKey;
    for (auto& chat : tables.chats) {
        if (const auto it = membersOfChat.find(chat.key); it != membersOfChat.end()) {
            for (const WhatsAppMemberRow* member : it->second) {
                if (chat.memberIds.empty()) {
                    chat.memberIds = member->memberId;
                    chat.memberNames = member->memberName;
                    continue;
                }
                chat.memberIds += ',' + member->memberId;
                if (!member->memberName.empty()) chat.memberNames += ',' + member->memberName;
            }
        }
        if (chat.key != 0) chatByKey.try_emplace(chat.key, &chat);
    }
    std::unordered_map<std::int64_t, const std::string*> mediaPath;
    for (const auto& media : tables.media)
        if (media.key != 0) mediaPath.try_emplace(media.key, &media.localPath);

    for (auto& message : tables.messages) {
        if (const auto it = chatByKey.find(message.chatKey); it != chatByKey.end()) {
            const WhatsAppChatRow& chat = *it->second;
            message.senderId = chat.partnerId;
            message.senderName = chat.partnerName;
            message.chatTitle = chat.partnerName;
            message.chatIds = chat.memberIds.empty() ? chat.partnerId : chat.memberIds;
            message.chatNames = chat.memberNames.empty() ? chat.partnerName : chat.memberNames;
        }
        if (message.fromMe == 1) {
            message.senderName = "Me";
            message.senderId.clear();
        } else if (message.memberKey != 0) {
            // Member rows are numbered from 1 like every Core Data table; 0 (or
            // no value) is a message of a one-to-one chat or one the group made.
            if (const auto it = memberByKey.find(message.memberKey); it != memberByKey.end()) {
                message.senderName = it->second->memberName;
                message.senderId = it->second->memberId;
            }
        }
        // A media item without a local path (a link preview, a location)
        // leaves the message's own text.
        if (message.mediaKey != 0)
            if (const auto it = mediaPath.find(message.mediaKey);
                it != mediaPath.end() && !it->second->empty())
                message.text = *it->second;
    }
    WhatsAppChatMap chats;
    for (auto& message : sortedByDate(std::move(tables.messages))) {
        const std::int32_t key = message.chatKey;
        chats[key].push_back(std::move(message));
    }
    return chats;
}

Status decodeWhatsApp(const std::filesystem::path& chatDb, WhatsAppChatMap& out, const DecodeContext& context) {
    out.clear();
    const ProbeResult probe = probeQuery(chatDb, kMessageProbe, context.links);
    if (probe.status != kStatusOk) return probe.status;
    SqliteFile file;
    if (const Status status = openDatabase(file, chatDb, context); status != kStatusOk) return status;
    file.state().whatsAppMessageColumns = probe.columnCount;

    WhatsAppTables tables;
    // Every table is read even when one of them breaks off: the rows read
    // are kept and the first problem is reported.
    const Status mediaStatus = decodeWhatsAppMediaRows(file, whatsAppMediaColumns(file), tables.media);
    const Status chatStatus = decodeWhatsAppChatRows(file, whatsAppChatColumns(file), tables.chats);
    const Status memberStatus = decodeWhatsAppMemberRows(file, whatsAppMemberColumns(file), tables.members);
    const Status messageStatus =
        decodeWhatsAppMessageRows(file, whatsAppMessageColumns(file, probe.columnCount), tables.messages);
    out = joinWhatsAppTables(std::move(tables));
    return firstProblem({messageStatus, chatStatus, memberStatus, mediaStatus});
}

} // namespace orvelle
