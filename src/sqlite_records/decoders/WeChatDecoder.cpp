#include "sqlite_records/decoders/WeChatDecoder.h"

#include "core/Text.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/TableSchema.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/MessengerTables.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <array>
#include <map>
#include <openssl/evp.h>

namespace orvelle {

namespace {

/// The status of a file of the account beside MM.sqlite: one that is missing
/// leaves the account incomplete, which is not the same as no account.
Status besideFileStatus(Status status) {
    return status == kStatusFileMissing ? kStatusDatabaseDamaged : status;
}

constexpr std::string_view kFriendTable = "Friend";
constexpr std::string_view kMessageTablePrefix = "Chat_";
constexpr std::size_t kDigestDigits = 32;
constexpr MessengerColumns kMessageColumns{9, 3, 4, 8};
constexpr std::array<FieldColumn, 2> kFriendFields{{{"", 1}, {"", 2}}};
constexpr std::uint32_t kFriendColumns = 13;

struct FriendRow {
    std::uint32_t deleted = kLive;
    std::string userName;
    std::string nickName;
};

/// Appends the friends of `file`'s Friend table. kStatusTableMissing when it has none.
Status readFriends(SqliteFile& file, std::vector<FriendRow>& out) {
    return scanRecordTable(
        file, kFriendTable,
        [&](const Row& row) {
            FriendRow friendRow;
            if (readText(row, 1, friendRow.userName) != TextField::ok || friendRow.userName.empty() ||
                readText(row, 2, friendRow.nickName) == TextField::rejected)
                return kStatusInvalid;
            friendRow.deleted = row.deleted;
            out.push_back(std::move(friendRow));
            return kStatusOk;
        },
        TableColumns::fixed(kFriendFields, kFriendColumns), FieldValues::fieldsOnly);
}

bool isLowerHex(std::string_view text) {
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

/// The names of the message tables ("Chat_" + 32 hex digits) of `file`.
std::vector<std::string> messageTables(const SqliteFile& file, Status& status) {
    std::vector<SchemaEntry> schema;
    status = readSchema(file, schema);
    std::vector<std::string> names;
    for (const SchemaEntry& entry : schema) {
        const std::string_view name = entry.name;
        if (entry.type != "table" || name.size() != kMessageTablePrefix.size() + kDigestDigits ||
            name.substr(0, kMessageTablePrefix.size()) != kMessageTablePrefix ||
            !isLowerHex(name.substr(kMessageTablePrefix.size())))
            continue;
        names.push_back(entry.name);
    }
    return names;
}

/// One chat file's part of the account: every partner table it holds, then
/// the rows of its freed message pages under "Unknown".
class ChatFileReader {
public:
    ChatFileReader(const std::map<std::string, MessengerPartner>& partnerOfTable, PartnerChatMap& out)
        : m_partnerOfTable(partnerOfTable), m_out(out) {}

    Status read(SqliteFile& file) {
        Status schemaStatus = kStatusOk;
        Status problem = kStatusOk;
        const std::vector<std::string> tables = messageTables(file, schemaStatus);
        LivePages livePages;
        for (const std::string& table : tables) {
            const auto known = m_partnerOfTable.find(table);
            const MessengerPartner partner =
                known != m_partnerOfTable.end() ? known->second : MessengerPartner{table, {}};
            std::vector<MessageRecord>& chat = m_out[partner.address];
            ScanOptions options;
            options.freelistRows = false; // freed pages are read once, below
            const Status status = decodeMessengerTable(file, table, kMessageColumns, partner, options,
                                                       m_dates, chat, livePages);
            if (status == kStatusStopped) return status;
            if (problem == kStatusOk) problem = status;
        }
        std::vector<MessageRecord>& unknown = m_out[std::string(kUnknownPartner)];
        const Status freedStatus = decodeFreedMessengerPages(file, kMessageTablePrefix, livePages,
                                                             kMessageColumns, m_dates, unknown);
        if (unknown.empty()) m_out.erase(std::string(kUnknownPartner));
        if (freedStatus == kStatusStopped) return freedStatus;
        return problem != kStatusOk ? problem : (schemaStatus != kStatusOk ? schemaStatus : freedStatus);
    }

private:
    const std::map<std::string, MessengerPartner>& m_partnerOfTable;
    PartnerChatMap& m_out;
    DateTextCache m_dates;
};

} // namespace

std::string weChatTableName(std::string_view userName) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(userName.data(), userName.size(), digest, &length, EVP_md5(), nullptr) != 1 ||
        length * 2 != kDigestDigits)
        return {};
    return std::string(kMessageTablePrefix) +
           toHex(std::string_view(reinterpret_cast<const char*>(digest), length));
}

Status decodeWeChat(const WeChatDatabases& files, PartnerChatMap& out, const DecodeContext& context) {
    out.clear();
    SqliteFile mm;
    if (const Status status = openDatabase(mm, files.mm, context); status != kStatusOk) return status;

    // Friends of both lists; a user name met again adds nothing, except that
    // a live row's nickname wins over a deleted one's.
    std::vector<FriendRow> friends;
    const Status mmFriends = readFriends(mm, friends);
    Status contactFriends = kStatusTableMissing;
    if (!files.contacts.empty()) {
        SqliteFile contacts;
        contactFriends = openDatabase(contacts, files.contacts, context);
        if (contactFriends == kStatusOk) contactFriends = readFriends(contacts, friends);
    }
    if (mmFriends == kStatusStopped || contactFriends == kStatusStopped) return kStatusStopped;
    std::map<std::string, MessengerPartner> partnerOfTable;
    std::map<std::string, bool> liveName;
    for (const FriendRow& row : friends) {
        const std::string table = weChatTableName(row.userName);
        if (table.empty()) continue;
        auto [it, added] = partnerOfTable.try_emplace(table, MessengerPartner{row.userName, row.nickName});
        if (!added && row.deleted == kLive && !liveName[table]) it->second.contactName = row.nickName;
        if (row.deleted == kLive) liveName[table] = true;
    }
    // No friend list anywhere is a fault; one of two files without it is the
    // newer layout, where MM.sqlite may keep none.
    Status problem = kStatusOk;
    if (mmFriends == kStatusTableMissing && contactFriends == kStatusTableMissing)
        problem = kStatusTableMissing;
    else if (mmFriends != kStatusOk && mmFriends != kStatusTableMissing)
        problem = mmFriends;
    else if (!files.contacts.empty() && contactFriends != kStatusOk && contactFriends != kStatusTableMissing)
        problem = besideFileStatus(contactFriends);

    ChatFileReader reader(partnerOfTable, out);
    const std::size_t fileCount = 1 + files.messageFiles.size();
    for (std::size_t i = 0; i < fileCount; ++i) {
        if (reportProgress(context, static_cast<int>(i * 100 / fileCount)) != 0) return kStatusStopped;
        Status status = kStatusOk;
        if (i == 0) {
            status = reader.read(mm);
        } else {
            SqliteFile file;
            status = besideFileStatus(openDatabase(file, files.messageFiles[i - 1], context));
            if (status == kStatusOk) status = reader.read(file);
        }
        if (status == kStatusStopped) return status;
        if (problem == kStatusOk) problem = status;
    }
    dropKnownFromUnknown(out);
    for (auto it = out.begin(); it != out.end();) {
        if (it->second.empty()) {
            it = out.erase(it);
            continue;
        }
        sortConversation(it->second);
        ++it;
    }
    reportProgress(context, 100);
    return problem;
}

Status decodeWeChat(const std::filesystem::path& mmDb, PartnerChatMap& out, const DecodeContext& context) {
    WeChatDatabases files;
    files.mm = mmDb;
    return decodeWeChat(files, out, context);
}

} // namespace orvelle
