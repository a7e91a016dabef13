#pragma once
/// The reminder, calendar and bookmark documents: per item one HTML table row
/// (values escaped) and one CSV line (RFC 4180), the same cells in the same
/// order, the last one the item's state ("Normal" or "Deleted"). Each CSV
/// document starts with its header line.

#include "core/ItemRecords.h"

#include <string>
#include <string_view>

namespace orvelle {

/// Title, Due, Completed, List, Priority, Notes, State.
std::string reminderRow(const ReminderRecord& reminder);
std::string reminderCsvLine(const ReminderRecord& reminder);
extern const std::string_view kReminderCsvHeader;

/// Title, Start, End, All Day, Location, Calendar, Repeat, Notes, State.
std::string calendarRow(const CalendarEventRecord& event);
std::string calendarCsvLine(const CalendarEventRecord& event);
extern const std::string_view kCalendarCsvHeader;

/// Title, URL, Folder, Reading List, State.
std::string bookmarkRow(const BookmarkRecord& bookmark);
std::string bookmarkCsvLine(const BookmarkRecord& bookmark);
extern const std::string_view kBookmarkCsvHeader;

/// "Normal" or "Deleted".
std::string_view recordStateText(std::uint32_t deleted);

} // namespace orvelle
