#pragma once
/// The databases behind the Calendar, Reminder and Safari Bookmark categories,
/// in the table layouts devices use:
///
/// - Calendar.sqlitedb: `CalendarItem` (events, and up to iOS 12 the
///   reminders, told apart by entity_type), `Calendar`, `Location`,
///   `Recurrence`. The iOS 15 layout has the columns added since (an end
///   zone beside the end date, and more), so fields sit at other positions.
/// - the Reminders app's Core Data store of iOS 13 and later (Data-*.sqlite):
///   `ZREMCDREMINDER` and `ZREMCDBASELIST`.
/// - Safari's Bookmarks.db: `bookmarks` (folders and bookmarks in one table).
///
/// Times are Apple times (seconds since 2001-01-01 UTC).

#include "support/DeviceDb.h"

#include <optional>

namespace orvelle::test {

enum class CalendarLayout { ios9to12, ios15 };

const std::vector<std::string_view>& calendarSchema(CalendarLayout layout);
const std::vector<std::string_view>& reminderStoreSchema();
const std::vector<std::string_view>& bookmarksSchema();
std::string layoutName(CalendarLayout layout);

/// The zone devices write for a wall-clock time (all-day items).
inline constexpr std::string_view kFloatingZone = "_float";

struct CalendarEvent {
    std::string title = "Dentist";
    std::string notes;
    double start = 736329600; ///< 2024-05-02 08:00:00 UTC
    double end = 736333200;   ///< an hour later
    std::string zone = "Europe/Berlin";
    bool allDay = false;
    std::int64_t calendar = 0; ///< Calendar ROWID, 0 for none
    std::int64_t location = 0; ///< Location ROWID, 0 for none
};

struct CalendarReminder {
    std::string title = "Call the bank";
    std::string notes;
    std::optional<double> due;
    std::optional<double> completed;
    std::int64_t priority = 0;
    std::int64_t list = 0; ///< Calendar ROWID of its list
};

class CalendarDb : public DeviceDb {
public:
    explicit CalendarDb(std::filesystem::path path, CalendarLayout layout = CalendarLayout::ios9to12,
                        int pageSize = 4096);
    std::int64_t addCalendar(std::string_view title);
    std::int64_t addLocation(std::string_view title, std::string_view address);
    std::int64_t addEvent(const CalendarEvent& event);
    /// A CalendarItem of the reminder kind.
    std::int64_t addReminder(const CalendarReminder& reminder);
    /// frequency: 1 daily, 2 weekly, 3 monthly, 4 yearly; count 0: no end.
    void addRecurrence(std::int64_t owner, std::int64_t frequency, std::int64_t interval, std::int64_t count,
                       std::string_view specifier = {});

private:
    std::int64_t m_calendars = 0;
    std::int64_t m_locations = 0;
    std::int64_t m_items = 0;
    std::int64_t m_recurrences = 0;
};

struct StoreReminder {
    std::string title = "Buy milk";
    std::string notes;
    std::optional<double> due;
    bool allDay = false;
    bool completed = false;
    std::optional<double> completedOn;
    std::int64_t priority = 0;
    std::int64_t list = 0; ///< ZREMCDBASELIST Z_PK
    bool markedForDeletion = false;
};

class ReminderStoreDb : public DeviceDb {
public:
    explicit ReminderStoreDb(std::filesystem::path path, int pageSize = 4096);
    std::int64_t addList(std::string_view name);
    std::int64_t addReminder(const StoreReminder& reminder);

private:
    std::int64_t m_lists = 0;
    std::int64_t m_reminders = 0;
};

class BookmarksDb : public DeviceDb {
public:
    /// Starts as Safari leaves a new file: the untitled root, and below it the
    /// BookmarksBar and BookmarksMenu folders and the reading list.
    explicit BookmarksDb(std::filesystem::path path, int pageSize = 4096);
    std::int64_t addFolder(std::int64_t parent, std::string_view title);
    std::int64_t addBookmark(std::int64_t parent, std::string_view title, std::string_view url,
                             bool markedDeleted = false);

    std::int64_t root() const { return m_root; }
    std::int64_t bar() const { return m_bar; }
    std::int64_t menu() const { return m_menu; }
    std::int64_t readingList() const { return m_readingList; }

private:
    std::int64_t add(std::int64_t parent, std::int64_t type, std::string_view title, std::string_view url,
                     bool markedDeleted);
    std::int64_t m_ids = 0;
    std::int64_t m_order = 0;
    std::int64_t m_root = 0;
    std::int64_t m_bar = 0;
    std::int64_t m_menu = 0;
    std::int64_t m_readingList = 0;
};

} // namespace orvelle::test
