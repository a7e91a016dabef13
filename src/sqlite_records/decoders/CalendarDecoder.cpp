#include "sqlite_records/decoders/CalendarDecoder.h"

#include "core/AppleTime.h"
#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateOrder.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/KeyedTexts.h"
#include "sqlite_records/decoders/RowValues.h"

#include <algorithm>
#include <array>

namespace orvelle {

namespace {

constexpr std::string_view kItemTable = "CalendarItem";
constexpr std::string_view kCalendarTable = "Calendar";
constexpr std::string_view kLocationTable = "Location";
constexpr std::string_view kRecurrenceTable = "Recurrence";

/// `entity_type` of a reminder; events are 2.
constexpr std::int64_t kReminderEntity = 3;
/// The zone of a wall-clock time that belongs to no zone.
constexpr std::string_view kFloatingZone = "_float";

enum ItemField : std::size_t {
    kTitle,
    kPlace,
    kNotes,
    kStart,
    kStartZone,
    kEnd,
    kAllDay,
    kCalendar,
    kEndZone,
    kEntityType,
    kPriority,
    kDue,
    kDueZone,
    kDueAllDay,
    kCompletion,
};
constexpr std::array<FieldColumn, 15> kItemFields{{
    {"summary", 1},
    {"location_id", 2},
    {"description", 3},
    {"start_date", 4},
    {"start_tz", 5},
    {"end_date", 6},
    {"all_day", 7},
    {"calendar_id", 8},
    {"end_tz", -1},
    {"entity_type", 33},
    {"priority", 34},
    {"due_date", 35},
    {"due_tz", 36},
    {"due_all_day", 37},
    {"completion_date", 38},
}};
constexpr std::array<FieldColumn, 1> kCalendarFields{{{"title"}}};
constexpr std::array<FieldColumn, 2> kLocationFields{{{"title"}, {"address"}}};

enum RecurrenceField : std::size_t { kOwner, kFrequency, kInterval, kCount, kUntil, kSpecifier };
constexpr std::array<FieldColumn, 6> kRecurrenceFields{
    {{"owner_id"}, {"frequency"}, {"interval"}, {"count"}, {"end_date"}, {"specifier"}}};
constexpr std::array<std::string_view, 4> kFrequencies{"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};

/// Dates of one table, each by its zone.
class ItemDates {
public:
    std::string text(const Row& row, int datePosition, int zonePosition, bool wallClock) {
        const auto seconds = readAppleSeconds(row, datePosition);
        if (!seconds) return {};
        std::string zone;
        readText(row, zonePosition, zone);
        if (wallClock || zone == kFloatingZone) return floatingAppleTimeText(*seconds);
        return m_local.appleText(*seconds);
    }

private:
    DateTextCache m_local;
};

/// Item key -> rule text, from the live rows and the freed cells of Recurrence.
KeyedTexts loadRecurrenceRules(SqliteFile& file) {
    KeyedTexts rules;
    const TableColumns columns = TableColumns::resolve(file, kRecurrenceTable, kRecurrenceFields, 0);
    ItemDates dates;
    scanWithColumns(
        file, kRecurrenceTable,
        [&](const Row& row) {
            const auto owner = readKey(row, columns[kOwner]);
            const auto frequency = readKey(row, columns[kFrequency]);
            if (!owner || !frequency || *frequency < 1 || *frequency > 4) return kStatusInvalid;
            std::string rule = "FREQ=";
            rule += kFrequencies[static_cast<std::size_t>(*frequency - 1)];
            const std::int64_t interval = std::max<std::int64_t>(readKey(row, columns[kInterval]).value_or(1), 1);
            rule += ";INTERVAL=" + std::to_string(interval);
            if (const auto count = readKey(row, columns[kCount]); count && *count > 0)
                rule += ";COUNT=" + std::to_string(*count);
            else if (const std::string until = dates.text(row, columns[kUntil], -1, false); !until.empty())
                rule += ";UNTIL=" + until;
            std::string specifier;
            if (readText(row, columns[kSpecifier], specifier) == TextField::ok && !specifier.empty())
                rule += ";" + specifier;
            rules.emplace(*owner, std::move(rule));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
    return rules;
}

bool isSet(const Row& row, int position) {
    return readNumber(row, position).value_or(0) != 0;
}

} // namespace

Status decodeCalendarRows(SqliteFile& file, CalendarItems& out) {
    const KeyedTexts calendars = loadKeyedTexts(file, kCalendarTable, kCalendarFields);
    const KeyedTexts places = loadKeyedTexts(file, kLocationTable, kLocationFields);
    const KeyedTexts rules = loadRecurrenceRules(file);
    const TableColumns columns = TableColumns::resolve(file, kItemTable, kItemFields, 0);
    ItemDates dates;
    std::string title, notes;
    return scanRecordTable(
        file, kItemTable,
        [&](const Row& row) {
            if (readText(row, columns[kTitle], title) == TextField::rejected ||
                readText(row, columns[kNotes], notes) == TextField::rejected)
                return kStatusInvalid;
            const std::string& calendar = keyedText(calendars, readKey(row, columns[kCalendar]));
            if (readKey(row, columns[kEntityType]) == kReminderEntity) {
                if (title.empty()) return kStatusInvalid;
                ReminderRecord reminder;
                reminder.deleted = row.deleted;
                reminder.title = title;
                reminder.notes = notes;
                reminder.due =
                    dates.text(row, columns[kDue], columns[kDueZone], isSet(row, columns[kDueAllDay]));
                reminder.completedDate = dates.text(row, columns[kCompletion], -1, false);
                reminder.completed = reminder.completedDate.empty() ? 0 : 1;
                reminder.priority = static_cast<std::int32_t>(readNumber(row, columns[kPriority]).value_or(0));
                reminder.list = calendar;
                out.reminders.push_back(std::move(reminder));
                return kStatusOk;
            }
            CalendarEventRecord event;
            event.deleted = row.deleted;
            event.allDay = isSet(row, columns[kAllDay]) ? 1 : 0;
            event.start = dates.text(row, columns[kStart], columns[kStartZone], event.allDay != 0);
            // Every event has a start; a row without one is not an event.
            if (event.start.empty()) return kStatusInvalid;
            const int endZone = columns.has(kEndZone) ? columns[kEndZone] : columns[kStartZone];
            event.end = dates.text(row, columns[kEnd], endZone, event.allDay != 0);
            event.title = title;
            event.notes = notes;
            event.calendar = calendar;
            event.location = keyedText(places, readKey(row, columns[kPlace]));
            if (row.rowid != 0) event.recurrence = keyedText(rules, row.rowid);
            out.events.push_back(std::move(event));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeCalendar(const std::filesystem::path& calendarDb, const DecodeContext& context,
                      CalendarItems& out) {
    out = {};
    if (!platform::pathExists(calendarDb)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = openDatabase(file, calendarDb, context); status != kStatusOk) return status;
    // A table that breaks off keeps what was read before the break; the
    // damage is still reported.
    const Status itemStatus = decodeCalendarRows(file, out);
    if (const int answer = reportProgress(context, 80)) return answer;
    std::vector<std::uint64_t> keys(out.events.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!dateKey(out.events[i].start, keys[i])) keys[i] = 0;
    // Events mostly come in start order already; then no record is moved.
    if (!std::is_sorted(keys.begin(), keys.end())) out.events = reordered(std::move(out.events), keyOrder(keys));
    const int answer = reportProgress(context, 100);
    return answer != 0 ? answer : itemStatus;
}

} // namespace orvelle
