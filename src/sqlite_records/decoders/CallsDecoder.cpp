#include "sqlite_records/decoders/CallsDecoder.h"

#include "core/AppleTime.h"
#include "core/Text.h"
#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/ContactLookup.h"
#include "sqlite_records/decoders/ContactsDecoder.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateOrder.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/SqliteProbe.h"

#include <algorithm>
#include <array>

namespace orvelle {

namespace {

constexpr std::string_view kCallTable = "call";
constexpr std::string_view kCallRecordTable = "ZCALLRECORD";
constexpr std::string_view kCallRecordProbe = "select * from ZCALLRECORD;";

enum CallField : std::size_t { kDirection, kDate, kDuration, kNumber };
constexpr std::array<FieldColumn, 4> kRecordFields{
    {{"ZORIGINATED", 10}, {"ZDATE", 12}, {"ZDURATION", 13}, {"ZADDRESS", 20}}};
constexpr std::array<FieldColumn, 4> kRecordFieldsNewBook{
    {{"ZORIGINATED", 10}, {"ZDATE", 12}, {"ZDURATION", 13}, {"ZADDRESS", 21}}};
constexpr std::array<FieldColumn, 4> kCallFields{
    {{"flags", 4}, {"date", 2}, {"duration", 3}, {"address", 1}}};

/// Bit 0 of `call.flags` marks an outgoing call.
constexpr std::int64_t kOutgoingFlag = 1;
/// Numbers this short (service codes) are not looked up in the address book.
constexpr std::size_t kShortestNamedNumber = 5;

std::span<const FieldColumn> fieldsFor(CallLayout layout, bool newAddressBookLayout) {
    if (layout == CallLayout::call) return kCallFields;
    return newAddressBookLayout ? std::span<const FieldColumn>(kRecordFieldsNewBook)
                                : std::span<const FieldColumn>(kRecordFields);
}

} // namespace

TableColumns callColumns(const SqliteFile& file, CallLayout layout, bool newAddressBookLayout) {
    return TableColumns::resolve(file, layout == CallLayout::call ? kCallTable : kCallRecordTable,
                                 fieldsFor(layout, newAddressBookLayout), 0);
}

TableColumns fixedCallColumns(CallLayout layout, bool newAddressBookLayout) {
    return TableColumns::fixed(fieldsFor(layout, newAddressBookLayout), 0);
}

Status decodeCallRows(SqliteFile& file, CallLayout layout, const TableColumns& columns,
                      std::vector<CallRecord>& out) {
    DateTextCache dates;
    const bool newer = layout == CallLayout::callRecord;
    file.state().newerCallLayout = newer ? 1 : 0;
    return scanRecordTable(
        file, newer ? kCallRecordTable : kCallTable,
        [&](const Row& row) {
            if (row.mode == RowMode::cell && row.headerLength > 1)
                file.state().callColumnCount = static_cast<std::int32_t>(row.headerLength - 1);
            CallRecord call;
            call.deleted = row.deleted;
            if (readText(row, columns[kNumber], call.number) == TextField::rejected) return kStatusInvalid;
            if (!newer)
                for (const char c : call.number)
                    if (static_cast<unsigned char>(c) < 0x20) return kStatusInvalid;
            if (newer) {
                if (const auto seconds = readAppleSeconds(row, columns[kDate]))
                    call.date = dates.appleText(*seconds);
                const RecordValue* originated = columnValue(row, columns[kDirection]);
                call.incoming = originated && originated->isInteger() && originated->integer == 0 ? 1 : 0;
            } else {
                if (const auto seconds = readKey(row, columns[kDate])) call.date = dates.unixText(*seconds);
                const auto flags = readKey(row, columns[kDirection]);
                call.incoming = flags && (*flags & kOutgoingFlag) == 0 ? 1 : 0;
            }
            call.duration = static_cast<std::int32_t>(readNumber(row, columns[kDuration]).value_or(0));
            if (call.number.empty() || call.date.empty()) return kStatusInvalid;
            out.push_back(std::move(call));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeCalls(const std::filesystem::path& callDb, const std::filesystem::path& addressBook,
                   const DecodeContext& context, std::vector<CallRecord>& out, DecodeReport* report) {
    out.clear();
    const ProbeResult probe = probeQuery(callDb, kCallRecordProbe, context.links);
    if (probe.status == kStatusFileMissing || probe.status == kStatusNotRegularFile) return probe.status;
    const CallLayout layout = probe.status == kStatusOk ? CallLayout::callRecord : CallLayout::call;

    SqliteFile file;
    if (const Status status = openDatabase(file, callDb, context); status != kStatusOk) return status;
    file.state().newAddressBookLayout = context.newAddressBookLayout ? 1 : 0;
    const Status callStatus =
        decodeCallRows(file, layout, callColumns(file, layout, context.newAddressBookLayout), out);
    if (const int answer = reportProgress(context, 60)) return answer;

    if (!addressBook.empty()) {
        Status bookStatus = kStatusOk;
        if (auto contacts = loadContactLookup(addressBook, context, bookStatus))
            for (auto& call : out)
                if (call.number.size() >= kShortestNamedNumber)
                    call.contactName = contacts->nameFor(call.number);
        if (report) report->addressBook = bookStatus;
    }
    if (report)
        for (const auto& call : out)
            (call.deleted ? report->deletedRows : report->liveRows)++;
    out = sortedByDate(std::move(out));
    const int answer = reportProgress(context, 100);
    return answer != 0 ? answer : callStatus;
}

} // namespace orvelle
