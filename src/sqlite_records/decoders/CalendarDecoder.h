#pragma once
/// Events, and the reminders of iOS 12 and earlier, from Calendar.sqlitedb
/// (HomeDomain, Library/Calendar/Calendar.sqlitedb).
///
/// Both are rows of `CalendarItem`: `entity_type` 2 is an event, 3 a reminder
/// (a file without the column holds events only). Every field is found by its
/// column name; the fixed positions are those of iOS 9 to 12.
///
/// | table        | field            | column          | position |
/// |--------------|------------------|-----------------|----------|
/// | CalendarItem | title            | summary         | 1        |
/// |              | place (key)      | location_id     | 2        |
/// |              | notes            | description     | 3        |
/// |              | start            | start_date      | 4        |
/// |              | start zone       | start_tz        | 5        |
/// |              | end              | end_date        | 6        |
/// |              | all-day          | all_day         | 7        |
/// |              | calendar (key)   | calendar_id     | 8        |
/// |              | end zone         | end_tz          | -        |
/// |              | kind             | entity_type     | 33       |
/// |              | priority         | priority        | 34       |
/// |              | due              | due_date        | 35       |
/// |              | due zone         | due_tz          | 36       |
/// |              | due all-day      | due_all_day     | 37       |
/// |              | completed        | completion_date | 38       |
/// | Calendar     | title            | title           | by name  |
/// | Location     | title, address   | title, address  | by name  |
/// | Recurrence   | owner (item key) | owner_id        | by name  |
/// |              | rule             | frequency, interval, count, end_date, specifier | by name |
///
/// Times are Apple times; a zone of "_float" (and an all-day item) is a
/// wall-clock time shown as stored, any other is shown in local time.
/// A recurrence is shown as a rule text, "FREQ=WEEKLY;INTERVAL=1", followed
/// by ";COUNT=n" or ";UNTIL=<date>" when it ends, and by Apple's own
/// specifier (the days it repeats on) when stored. A row recovered from free
/// space has lost its row id and so its recurrence.
///
/// Events are sorted by start; reminders keep the table's order (live rows,
/// then the deleted ones).

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"

#include <filesystem>
#include <vector>

namespace orvelle {

class SqliteFile;

/// What one read of CalendarItem gives.
struct CalendarItems {
    std::vector<CalendarEventRecord> events;
    std::vector<ReminderRecord> reminders;
};

/// Reads the events and reminders of an open calendar database.
Status decodeCalendarRows(SqliteFile& file, CalendarItems& out);

/// Decodes the calendar database at `calendarDb`. Returns 0,
/// kStatusFileMissing, the open's code (no items), or the progress
/// callback's non-zero answer.
Status decodeCalendar(const std::filesystem::path& calendarDb, const DecodeContext& context,
                      CalendarItems& out);

} // namespace orvelle
