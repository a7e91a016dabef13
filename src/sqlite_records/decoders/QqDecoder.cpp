#include "sqlite_records/decoders/QqDecoder.h"

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/MessengerTables.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <array>
#include <set>
#include <vector>

namespace orvelle {

namespace {

constexpr std::string_view kTableList = "tb_c2cTables";
constexpr std::string_view kMessageTablePrefix = "tb_c2cMsg";
constexpr MessengerColumns kMessageColumns{50, 2, 6, 4};

struct ListedTable {
    std::uint32_t deleted = kLive;
    std::string name;
};

Status readTableList(SqliteFile& file, std::vector<ListedTable>& out) {
    constexpr std::array<FieldColumn, 1> kFields{{{"", 0}}};
    return scanRecordTable(
        file, kTableList,
        [&](const Row& row) {
            ListedTable table;
            if (readText(row, 0, table.name) != TextField::ok ||
                table.name.compare(0, kMessageTablePrefix.size(), kMessageTablePrefix) != 0)
                return kStatusInvalid;
            table.deleted = row.deleted;
            out.push_back(std::move(table));
            return kStatusOk;
        },
        TableColumns::fixed(kFields, 1));
}

} // namespace

std::string qqPartnerOf(std::string_view tableName) {
    const auto underscore = tableName.rfind('_');
    return std::string(underscore == std::string_view::npos ? tableName : tableName.substr(underscore + 1));
}

Status decodeQQ(const std::filesystem::path& qqDb, PartnerChatMap& out, const DecodeContext& context) {
    out.clear();
    SqliteFile file;
    if (const Status status = openDatabase(file, qqDb, context); status != kStatusOk) return status;
    std::vector<ListedTable> tables;
    const Status listStatus = readTableList(file, tables);
    if (listStatus == kStatusStopped || listStatus == kStatusTableMissing) return listStatus;

    Status problem = listStatus;
    DateTextCache dates;
    std::set<std::string> done;
    LivePages livePages;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (reportProgress(context, static_cast<int>(i * 100 / tables.size())) != 0) return kStatusStopped;
        const ListedTable& table = tables[i];
        // A deleted entry and a live one may name the same table.
        if (!done.insert(table.name).second) continue;
        ChildPageMap roots;
        Status status = file.findTableRoots(table.name, roots);
        std::vector<MessageRecord> messages;
        if (status == kStatusOk && roots.empty()) {
            // A deleted entry's table went with it; a live entry must have one,
            // so the file is damaged where that table was.
            if (table.deleted == kLive) status = kStatusDatabaseDamaged;
        } else if (status == kStatusOk) {
            const MessengerPartner partner{qqPartnerOf(table.name), {}};
            ScanOptions options;
            options.freelistRows = false; // freed pages are read once, below
            status = decodeMessengerTable(file, table.name, kMessageColumns, partner, options, dates,
                                          messages, livePages);
        }
        if (status == kStatusStopped) return status;
        if (problem == kStatusOk) problem = status;
        if (messages.empty()) continue;
        sortConversation(messages);
        std::vector<MessageRecord>& chat = out[qqPartnerOf(table.name)];
        if (chat.empty()) {
            chat = std::move(messages);
        } else {
            // Two tables of one partner ("tb_c2cMsg_1" and "tb_c2cMsg2_1"): one conversation.
            chat.insert(chat.end(), messages.begin(), messages.end());
            sortConversation(chat);
        }
    }
    std::vector<MessageRecord> unknown;
    const Status freedStatus =
        decodeFreedMessengerPages(file, kMessageTablePrefix, livePages, kMessageColumns, dates, unknown);
    if (freedStatus == kStatusStopped) return freedStatus;
    if (problem == kStatusOk) problem = freedStatus;
    if (!unknown.empty()) {
        sortConversation(unknown);
        std::vector<MessageRecord>& chat = out[std::string(kUnknownPartner)];
        chat.insert(chat.end(), unknown.begin(), unknown.end());
    }
    dropKnownFromUnknown(out);
    reportProgress(context, 100);
    return problem;
}

} // namespace orvelle
