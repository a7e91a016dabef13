#include "sqlite_records/decoders/RemindersDecoder.h"

#include "core/AppleTime.h"
#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/KeyedTexts.h"
#include "sqlite_records/decoders/RowValues.h"

#include <array>

namespace orvelle {

namespace {

constexpr std::string_view kReminderTable = "ZREMCDREMINDER";
constexpr std::string_view kListTable = "ZREMCDBASELIST";

enum ReminderField : std::size_t {
    kTitle,
    kNotes,
    kDue,
    kAllDay,
    kCompleted,
    kCompletionDate,
    kPriority,
    kList,
    kMarkedDeleted,
};
constexpr std::array<FieldColumn, 9> kReminderFields{{
    {"ZTITLE"},
    {"ZNOTES"},
    {"ZDUEDATE"},
    {"ZALLDAY"},
    {"ZCOMPLETED"},
    {"ZCOMPLETIONDATE"},
    {"ZPRIORITY"},
    {"ZLIST"},
    {"ZMARKEDFORDELETION"},
}};
constexpr std::array<FieldColumn, 1> kListFields{{{"ZNAME"}}};

} // namespace

Status decodeReminderRows(SqliteFile& file, std::vector<ReminderRecord>& out) {
    const KeyedTexts lists = loadKeyedTexts(file, kListTable, kListFields);
    const TableColumns columns = TableColumns::resolve(file, kReminderTable, kReminderFields, 0);
    // Without its statement the table cannot be read: Core Data has no fixed layout.
    if (!columns.fromStatement() || !columns.has(kTitle)) return kStatusOk;
    DateTextCache dates;
    return scanRecordTable(
        file, kReminderTable,
        [&](const Row& row) {
            ReminderRecord reminder;
            if (readText(row, columns[kTitle], reminder.title) != TextField::ok || reminder.title.empty() ||
                readText(row, columns[kNotes], reminder.notes) == TextField::rejected)
                return kStatusInvalid;
            const bool marked = readNumber(row, columns[kMarkedDeleted]).value_or(0) != 0;
            reminder.deleted = row.deleted != kLive || marked ? kDeleted : kLive;
            if (const auto due = readAppleSeconds(row, columns[kDue]))
                reminder.due = readNumber(row, columns[kAllDay]).value_or(0) != 0 ? floatingAppleTimeText(*due)
                                                                                  : dates.appleText(*due);
            if (const auto done = readAppleSeconds(row, columns[kCompletionDate]))
                reminder.completedDate = dates.appleText(*done);
            reminder.completed = readNumber(row, columns[kCompleted]).value_or(0) != 0 ? 1 : 0;
            reminder.priority = static_cast<std::int32_t>(readNumber(row, columns[kPriority]).value_or(0));
            reminder.list = keyedText(lists, readKey(row, columns[kList]));
            out.push_back(std::move(reminder));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeReminderStore(const std::filesystem::path& storeDb, const DecodeContext& context,
                           std::vector<ReminderRecord>& out) {
    if (!platform::pathExists(storeDb)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = openDatabase(file, storeDb, context); status != kStatusOk) return status;
    const Status status = decodeReminderRows(file, out);
    const int answer = reportProgress(context, 100);
    return answer != 0 ? answer : status;
}

} // namespace orvelle
