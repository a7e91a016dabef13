#include "export/ListDocuments.h"

#include "export/CsvText.h"
#include "export/TableRow.h"
#include "scan/DisplayText.h"

namespace orvelle {

namespace {

std::string_view yesNo(std::int32_t value) {
    return value ? "Yes" : "No";
}

std::string priorityText(std::int32_t priority) {
    return priority > 0 ? std::to_string(priority) : std::string();
}

} // namespace

const std::string_view kReminderCsvHeader = "Title,Due,Completed,List,Priority,Notes,State\r\n";
const std::string_view kCalendarCsvHeader = "Title,Start,End,All Day,Location,Calendar,Repeat,Notes,State\r\n";
const std::string_view kBookmarkCsvHeader = "Title,URL,Folder,Reading List,State\r\n";

std::string_view recordStateText(std::uint32_t deleted) {
    return deleted != kLive ? "Deleted" : "Normal";
}

std::string reminderRow(const ReminderRecord& r) {
    return tableRow({r.title, r.due, reminderCompletedText(r), r.list, priorityText(r.priority), r.notes,
                     recordStateText(r.deleted)});
}

std::string reminderCsvLine(const ReminderRecord& r) {
    return csvLine({r.title, r.due, reminderCompletedText(r), r.list, priorityText(r.priority), r.notes,
                    recordStateText(r.deleted)});
}

std::string calendarRow(const CalendarEventRecord& e) {
    return tableRow({e.title, e.start, e.end, yesNo(e.allDay), e.location, e.calendar, e.recurrence, e.notes,
                     recordStateText(e.deleted)});
}

std::string calendarCsvLine(const CalendarEventRecord& e) {
    return csvLine({e.title, e.start, e.end, yesNo(e.allDay), e.location, e.calendar, e.recurrence, e.notes,
                    recordStateText(e.deleted)});
}

std::string bookmarkRow(const BookmarkRecord& b) {
    return tableRow({b.title, b.url, b.folder, yesNo(b.readingList), recordStateText(b.deleted)});
}

std::string bookmarkCsvLine(const BookmarkRecord& b) {
    return csvLine({b.title, b.url, b.folder, yesNo(b.readingList), recordStateText(b.deleted)});
}

} // namespace orvelle
