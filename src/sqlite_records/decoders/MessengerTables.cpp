#include "sqlite_records/decoders/MessengerTables.h"

#include "sqlite_records/decoders/DateOrder.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/RowValues.h"

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

namespace orvelle {

namespace {

/// 2101-01-01 00:00:00 UTC: no message was sent after this.
constexpr std::int64_t kLastMessengerSecond = 4133980800;

/// Makes each row a message of `partner` and appends it to `out`.
RowSink messengerRowSink(const MessengerColumns& columns, const MessengerPartner& partner,
                         DateTextCache& dates, std::vector<MessageRecord>& out) {
    return [&columns, &partner, &dates, &out](const Row& row) {
        MessageRecord message;
        const TextField text = readText(row, columns.text, message.text);
        if (text == TextField::rejected) return kStatusInvalid;
        const std::optional<std::int64_t> seconds = readNumber(row, columns.date);
        if (!seconds && text == TextField::absent) return kStatusInvalid;
        if (seconds) message.date = messengerDateText(*seconds, dates);
        // A recovered row with neither a usable date nor a text tells nothing.
        if (row.deleted != kLive && message.date.empty() && message.text.empty()) return kStatusInvalid;
        // The flag is 0 for a message the owner sent and 1 for one received;
        // any other value is taken as received.
        const std::optional<std::int64_t> direction = readKey(row, columns.direction);
        message.fromMe = direction && *direction == 0 ? 1 : 0;
        message.deleted = row.deleted;
        message.rowId = static_cast<std::uint32_t>(row.rowid);
        message.address = partner.address;
        message.contactName = partner.contactName;
        out.push_back(std::move(message));
        return kStatusOk;
    };
}

} // namespace

std::string messengerDateText(std::int64_t unixSeconds, DateTextCache& dates) {
    if (unixSeconds <= 0 || unixSeconds >= kLastMessengerSecond) return {};
    return dates.unixText(unixSeconds);
}

Status decodeMessengerTable(SqliteFile& file, std::string_view table, const MessengerColumns& columns,
                            const MessengerPartner& partner, ScanOptions options, DateTextCache& dates,
                            std::vector<MessageRecord>& out, LivePages& livePages) {
    const std::array<int, 3> wanted{columns.date, columns.text, columns.direction};
    options.columnCount = columns.count;
    options.wantedColumns = wanted;
    // Every partner table has the same columns: a log frame of a page that was
    // never this table's may be another partner's.
    options.logOtherPages = false;
    const RowSink messages = messengerRowSink(columns, partner, dates, out);
    std::uint32_t lastLivePage = 0;
    return scanTable(
        file, table,
        [&](const Row& row) {
            if (row.deleted == kLive && row.page != lastLivePage) {
                lastLivePage = row.page;
                livePages.insert(row.page);
            }
            return messages(row);
        },
        options);
}

Status decodeFreedMessengerPages(SqliteFile& file, std::string_view tablePrefix, const LivePages& livePages,
                                 const MessengerColumns& columns, DateTextCache& dates,
                                 std::vector<MessageRecord>& out) {
    const MessengerPartner nobody{std::string(kUnknownPartner), {}};
    const RowSink messages = messengerRowSink(columns, nobody, dates, out);
    ScanOptions freed;
    freed.columnCount = columns.count;
    return scanFreedPages(
        file, tablePrefix,
        [&](const Row& row) { return livePages.count(row.page) ? kStatusInvalid : messages(row); }, freed);
}

void dropKnownFromUnknown(PartnerChatMap& chats) {
    const auto unknown = chats.find(std::string(kUnknownPartner));
    if (unknown == chats.end()) return;
    using Key = std::tuple<std::string_view, std::int32_t, std::string_view>;
    std::set<Key> known;
    for (const auto& [partner, messages] : chats)
        if (partner != kUnknownPartner)
            for (const MessageRecord& message : messages)
                known.emplace(message.date, message.fromMe, message.text);
    std::vector<MessageRecord>& rest = unknown->second;
    rest.erase(std::remove_if(rest.begin(), rest.end(),
                              [&known](const MessageRecord& message) {
                                  return known.count(Key{message.date, message.fromMe, message.text}) != 0;
                              }),
               rest.end());
    if (rest.empty()) chats.erase(unknown);
}

void sortConversation(std::vector<MessageRecord>& messages) {
    if (messages.size() <= 2) return;
    // A partner's table is mostly in date order already: then nothing moves.
    const std::vector<std::uint32_t> order = dateOrder(messages);
    for (std::uint32_t i = 0; i < order.size(); ++i)
        if (order[i] != i) {
            messages = reordered(std::move(messages), order);
            return;
        }
}

} // namespace orvelle
