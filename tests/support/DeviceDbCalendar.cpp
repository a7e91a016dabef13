// Builders of Calendar.sqlitedb, the Reminders store and Bookmarks.db.

#include "support/DeviceDbCalendar.h"


namespace orvelle::test {

namespace {

// Columns between calendar_id and entity_type, the same in both layouts.
#define CALENDAR_ITEM_MIDDLE                                                                                     \
    "orig_item_id INTEGER, orig_date REAL, organizer_id INTEGER, self_attendee_id INTEGER, status INTEGER, "      \
    "invitation_status INTEGER, availability INTEGER, privacy_level INTEGER, url TEXT, last_modified REAL, "    \
    "sequence_num INTEGER, birthday_id INTEGER, modified_properties INTEGER, external_tracking_status INTEGER, " \
    "external_id TEXT, external_mod_tag TEXT, unique_identifier TEXT, external_schedule_id TEXT, "               \
    "external_rep BLOB, response_comment TEXT, hidden INTEGER, has_recurrences INTEGER, has_attendees "          \
    "INTEGER, UUID TEXT, "
#define CALENDAR_ITEM_TASK_COLUMNS                                                                               \
    "entity_type INTEGER, priority INTEGER, due_date REAL, due_tz TEXT, due_all_day INTEGER, completion_date "   \
    "REAL, creation_date REAL, conference TEXT, display_order INTEGER, created_by_id INTEGER, modified_by_id "   \
    "INTEGER, shared_item_created_date REAL, shared_item_created_tz TEXT, shared_item_modified_date REAL, "     \
    "shared_item_modified_tz TEXT, invitation_changed_properties INTEGER, default_alarm_removed INTEGER, "      \
    "phantom_master INTEGER, participation_status_modified_date REAL, calendar_scale TEXT, travel_time "        \
    "INTEGER, travel_advisory_behavior INTEGER, start_location_id INTEGER"

constexpr std::string_view kCalendarTable =
    "CREATE TABLE Calendar (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, store_id INTEGER, title TEXT, flags "
    "INTEGER, color TEXT, type TEXT, supported_entity_types INTEGER, external_id TEXT, external_mod_tag TEXT, "
    "external_id_tag TEXT, external_rep BLOB, display_order INTEGER, UUID TEXT, shared_owner_name TEXT, "
    "shared_owner_address TEXT, sharing_status INTEGER, sharing_invitation_response INTEGER, published_URL TEXT, "
    "is_published INTEGER, invitation_status INTEGER, sync_token TEXT, self_identity_id INTEGER)";
constexpr std::string_view kLocationTable =
    "CREATE TABLE Location (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, address TEXT, latitude REAL, "
    "longitude REAL, reference_frame INTEGER, radius REAL, item_owner_id INTEGER, alarm_owner_id INTEGER, "
    "external_id TEXT, external_mod_tag TEXT, external_id_tag TEXT, external_rep BLOB, route_type TEXT)";
constexpr std::string_view kRecurrenceTable =
    "CREATE TABLE Recurrence (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, frequency INTEGER, interval INTEGER, "
    "week_start INTEGER, count INTEGER, cached_end_date REAL, cached_end_date_tz TEXT, end_date REAL, specifier "
    "TEXT, by_month_day INTEGER, owner_id INTEGER, external_id TEXT, external_mod_tag TEXT, external_id_tag TEXT, "
    "external_rep BLOB, UUID TEXT)";

const std::vector<std::string_view> kCalendarIos9{
    kCalendarTable,
    kLocationTable,
    kRecurrenceTable,
    "CREATE TABLE CalendarItem (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, summary TEXT, location_id INTEGER, "
    "description TEXT, start_date REAL, start_tz TEXT, end_date REAL, all_day INTEGER, calendar_id INTEGER, "
    CALENDAR_ITEM_MIDDLE CALENDAR_ITEM_TASK_COLUMNS ")",
};

// iOS 15: an end zone beside the end date moves every later field by one,
// and newer columns follow at the end.
const std::vector<std::string_view> kCalendarIos15{
    kCalendarTable,
    kLocationTable,
    kRecurrenceTable,
    "CREATE TABLE CalendarItem (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, summary TEXT, location_id INTEGER, "
    "description TEXT, start_date REAL, start_tz TEXT, end_date REAL, end_tz TEXT, all_day INTEGER, "
    "calendar_id INTEGER, " CALENDAR_ITEM_MIDDLE CALENDAR_ITEM_TASK_COLUMNS
    ", suggestion_info_id INTEGER, end_location_id INTEGER, junk_status INTEGER, image_id INTEGER, "
    "client_location_id INTEGER, conference_url_detected TEXT, special_day_type INTEGER)",
};

#undef CALENDAR_ITEM_MIDDLE
#undef CALENDAR_ITEM_TASK_COLUMNS

const std::vector<std::string_view> kReminderStore{
    "CREATE TABLE ZREMCDBASELIST ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZDAISIMMUTABLE "
    "INTEGER, ZMARKEDFORDELETION INTEGER, ZSHOULDCATEGORIZEGROCERYITEMS INTEGER, ZSORTINGSTYLE INTEGER, "
    "ZACCOUNT INTEGER, ZPARENTLIST INTEGER, ZCKIDENTIFIER VARCHAR, ZNAME VARCHAR, ZBADGEEMBLEM VARCHAR, "
    "ZEXTERNALIDENTIFIER VARCHAR, ZCOLOR BLOB, ZIDENTIFIER BLOB )",
    "CREATE TABLE ZREMCDREMINDER ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZALLDAY INTEGER, "
    "ZCOMPLETED INTEGER, ZFLAGGED INTEGER, ZMARKEDFORDELETION INTEGER, ZPRIORITY INTEGER, ZACCOUNT INTEGER, "
    "ZLIST INTEGER, ZPARENTREMINDER INTEGER, ZCOMPLETIONDATE TIMESTAMP, ZCREATIONDATE TIMESTAMP, ZDUEDATE "
    "TIMESTAMP, ZLASTMODIFIEDDATE TIMESTAMP, ZSTARTDATE TIMESTAMP, ZCKIDENTIFIER VARCHAR, "
    "ZDACALENDARITEMUNIQUEIDENTIFIER VARCHAR, ZEXTERNALIDENTIFIER VARCHAR, ZNOTES VARCHAR, ZTIMEZONE VARCHAR, "
    "ZTITLE VARCHAR, ZIDENTIFIER BLOB, ZRECURRENCERULESDATA BLOB )",
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER)",
};

const std::vector<std::string_view> kBookmarks{
    "CREATE TABLE bookmarks (id INTEGER PRIMARY KEY, special_id INTEGER DEFAULT 0, parent INTEGER, type "
    "INTEGER, title TEXT, url TEXT COLLATE NOCASE, num_children INTEGER DEFAULT 0, editable INTEGER DEFAULT 1, "
    "deletable INTEGER DEFAULT 1, hidden INTEGER DEFAULT 0, hidden_ancestor_count INTEGER DEFAULT 0, "
    "order_index INTEGER NOT NULL, external_uuid TEXT, read INTEGER DEFAULT NULL, last_modified REAL DEFAULT "
    "NULL, server_id TEXT, sync_key TEXT, sync_data BLOB, added INTEGER DEFAULT 1, deleted INTEGER DEFAULT 0, "
    "extra_attributes BLOB DEFAULT NULL, local_attributes BLOB DEFAULT NULL, fetched_icon BOOL DEFAULT 0, icon "
    "BLOB DEFAULT NULL, dav_generation INTEGER DEFAULT 0, locally_added BOOL DEFAULT 0, archive_status INTEGER "
    "DEFAULT 0, syncable BOOL DEFAULT 1, web_filter_status INTEGER DEFAULT 0, modified_attributes UNSIGNED BIG "
    "INT DEFAULT 0)",
};

constexpr std::int64_t kEventEntity = 2;
constexpr std::int64_t kReminderEntity = 3;
// Core Data entity numbers of the Reminders store.
constexpr std::int64_t kListEntity = 6;
constexpr std::int64_t kReminderStoreEntity = 27;
constexpr std::int64_t kFolderType = 1;
constexpr std::int64_t kBookmarkType = 0;

SqlValue optionalReal(const std::optional<double>& value) {
    return value ? SqlValue::ofReal(*value) : SqlValue::null();
}

SqlValue keyOrNull(std::int64_t key) {
    return key ? SqlValue::of(key) : SqlValue::null();
}

} // namespace

const std::vector<std::string_view>& calendarSchema(CalendarLayout layout) {
    return layout == CalendarLayout::ios15 ? kCalendarIos15 : kCalendarIos9;
}
const std::vector<std::string_view>& reminderStoreSchema() {
    return kReminderStore;
}
const std::vector<std::string_view>& bookmarksSchema() {
    return kBookmarks;
}
std::string layoutName(CalendarLayout layout) {
    return layout == CalendarLayout::ios15 ? "iOS15" : "iOS9to12";
}

CalendarDb::CalendarDb(std::filesystem::path path, CalendarLayout layout, int pageSize)
    : DeviceDb(std::move(path), calendarSchema(layout), pageSize) {}

std::int64_t CalendarDb::addCalendar(std::string_view title) {
    const std::int64_t key = ++m_calendars;
    insert("Calendar", {{"ROWID", SqlValue::of(key)},
                        {"store_id", SqlValue::of(1)},
                        {"title", SqlValue::text(std::string(title))},
                        {"flags", SqlValue::of(0)},
                        {"color", SqlValue::text("#1BADF8")},
                        {"type", SqlValue::text("local")},
                        {"UUID", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(key) + 700))}});
    return key;
}

std::int64_t CalendarDb::addLocation(std::string_view title, std::string_view address) {
    const std::int64_t key = ++m_locations;
    insert("Location", {{"ROWID", SqlValue::of(key)},
                        {"title", SqlValue::text(std::string(title))},
                        {"address", address.empty() ? SqlValue::null() : SqlValue::text(std::string(address))},
                        {"latitude", SqlValue::ofReal(52.52)},
                        {"longitude", SqlValue::ofReal(13.405)}});
    return key;
}

std::int64_t CalendarDb::addEvent(const CalendarEvent& event) {
    const std::int64_t key = ++m_items;
    const std::string zone = event.allDay ? std::string(kFloatingZone) : event.zone;
    insert("CalendarItem", {{"ROWID", SqlValue::of(key)},
                            {"summary", SqlValue::text(event.title)},
                            {"location_id", keyOrNull(event.location)},
                            {"description", event.notes.empty() ? SqlValue::null() : SqlValue::text(event.notes)},
                            {"start_date", SqlValue::ofReal(event.start)},
                            {"start_tz", SqlValue::text(zone)},
                            {"end_date", SqlValue::ofReal(event.end)},
                            {"all_day", SqlValue::of(event.allDay ? 1 : 0)},
                            {"calendar_id", keyOrNull(event.calendar)},
                            {"status", SqlValue::of(0)},
                            {"availability", SqlValue::of(0)},
                            {"last_modified", SqlValue::ofReal(event.start - 86400)},
                            {"hidden", SqlValue::of(0)},
                            {"has_recurrences", SqlValue::of(0)},
                            {"has_attendees", SqlValue::of(0)},
                            {"UUID", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(key) + 900))},
                            {"entity_type", SqlValue::of(kEventEntity)},
                            {"creation_date", SqlValue::ofReal(event.start - 86400)}});
    return key;
}

std::int64_t CalendarDb::addReminder(const CalendarReminder& reminder) {
    const std::int64_t key = ++m_items;
    insert("CalendarItem",
           {{"ROWID", SqlValue::of(key)},
            {"summary", SqlValue::text(reminder.title)},
            {"description", reminder.notes.empty() ? SqlValue::null() : SqlValue::text(reminder.notes)},
            {"start_date", SqlValue::null()},
            {"all_day", SqlValue::of(0)},
            {"calendar_id", keyOrNull(reminder.list)},
            {"hidden", SqlValue::of(0)},
            {"UUID", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(key) + 900))},
            {"entity_type", SqlValue::of(kReminderEntity)},
            {"priority", SqlValue::of(reminder.priority)},
            {"due_date", optionalReal(reminder.due)},
            {"due_tz", reminder.due ? SqlValue::text(std::string(kFloatingZone)) : SqlValue::null()},
            {"due_all_day", SqlValue::of(0)},
            {"completion_date", optionalReal(reminder.completed)},
            {"creation_date", SqlValue::ofReal(700000000)}});
    return key;
}

void CalendarDb::addRecurrence(std::int64_t owner, std::int64_t frequency, std::int64_t interval,
                               std::int64_t count, std::string_view specifier) {
    insert("Recurrence", {{"ROWID", SqlValue::of(++m_recurrences)},
                          {"frequency", SqlValue::of(frequency)},
                          {"interval", SqlValue::of(interval)},
                          {"week_start", SqlValue::of(0)},
                          {"count", SqlValue::of(count)},
                          {"specifier", specifier.empty() ? SqlValue::null() : SqlValue::text(std::string(specifier))},
                          {"owner_id", SqlValue::of(owner)}});
    exec("UPDATE CalendarItem SET has_recurrences = 1 WHERE ROWID = " + std::to_string(owner));
}

ReminderStoreDb::ReminderStoreDb(std::filesystem::path path, int pageSize)
    : DeviceDb(std::move(path), reminderStoreSchema(), pageSize) {}

std::int64_t ReminderStoreDb::addList(std::string_view name) {
    const std::int64_t key = ++m_lists;
    insert("ZREMCDBASELIST", {{"Z_PK", SqlValue::of(key)},
                              {"Z_ENT", SqlValue::of(kListEntity)},
                              {"Z_OPT", SqlValue::of(4)},
                              {"ZMARKEDFORDELETION", SqlValue::of(0)},
                              {"ZACCOUNT", SqlValue::of(1)},
                              {"ZCKIDENTIFIER", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(key) + 500))},
                              {"ZNAME", SqlValue::text(std::string(name))}});
    return key;
}

std::int64_t ReminderStoreDb::addReminder(const StoreReminder& r) {
    const std::int64_t key = ++m_reminders;
    insert("ZREMCDREMINDER",
           {{"Z_PK", SqlValue::of(key)},
            {"Z_ENT", SqlValue::of(kReminderStoreEntity)},
            {"Z_OPT", SqlValue::of(2)},
            {"ZALLDAY", SqlValue::of(r.allDay ? 1 : 0)},
            {"ZCOMPLETED", SqlValue::of(r.completed ? 1 : 0)},
            {"ZFLAGGED", SqlValue::of(0)},
            {"ZMARKEDFORDELETION", SqlValue::of(r.markedForDeletion ? 1 : 0)},
            {"ZPRIORITY", SqlValue::of(r.priority)},
            {"ZACCOUNT", SqlValue::of(1)},
            {"ZLIST", keyOrNull(r.list)},
            {"ZCOMPLETIONDATE", optionalReal(r.completedOn)},
            {"ZCREATIONDATE", SqlValue::ofReal(700000000)},
            {"ZDUEDATE", optionalReal(r.due)},
            {"ZLASTMODIFIEDDATE", SqlValue::ofReal(700000100)},
            {"ZCKIDENTIFIER", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(key) + 600))},
            {"ZNOTES", r.notes.empty() ? SqlValue::null() : SqlValue::text(r.notes)},
            {"ZTITLE", SqlValue::text(r.title)}});
    return key;
}

BookmarksDb::BookmarksDb(std::filesystem::path path, int pageSize)
    : DeviceDb(std::move(path), bookmarksSchema(), pageSize) {
    m_root = add(0, kFolderType, "", "", false);
    m_bar = add(m_root, kFolderType, "BookmarksBar", "", false);
    m_menu = add(m_root, kFolderType, "BookmarksMenu", "", false);
    m_readingList = add(m_root, kFolderType, "com.apple.ReadingList", "", false);
}

std::int64_t BookmarksDb::addFolder(std::int64_t parent, std::string_view title) {
    return add(parent, kFolderType, title, "", false);
}

std::int64_t BookmarksDb::addBookmark(std::int64_t parent, std::string_view title, std::string_view url,
                                      bool markedDeleted) {
    return add(parent, kBookmarkType, title, url, markedDeleted);
}

std::int64_t BookmarksDb::add(std::int64_t parent, std::int64_t type, std::string_view title,
                              std::string_view url, bool markedDeleted) {
    const std::int64_t id = ++m_ids;
    insert("bookmarks", {{"id", SqlValue::of(id)},
                         {"parent", id == 1 ? SqlValue::null() : SqlValue::of(parent)},
                         {"type", SqlValue::of(type)},
                         {"title", SqlValue::text(std::string(title))},
                         {"url", url.empty() ? SqlValue::null() : SqlValue::text(std::string(url))},
                         {"order_index", SqlValue::of(++m_order)},
                         {"external_uuid", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(id) + 800))},
                         {"deleted", SqlValue::of(markedDeleted ? 1 : 0)}});
    return id;
}

} // namespace orvelle::test
