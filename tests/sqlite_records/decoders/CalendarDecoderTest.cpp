#include "sqlite_records/decoders/CalendarDecoder.h"

#include "support/DeviceDbCalendar.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <tuple>

namespace orvelle {
namespace {

using test::CalendarDb;
using test::CalendarEvent;
using test::CalendarLayout;
using test::CalendarReminder;

auto fieldsOf(const CalendarEventRecord& e) {
    return std::tie(e.deleted, e.allDay, e.title, e.start, e.end, e.location, e.notes, e.calendar, e.recurrence);
}
auto fieldsOf(const ReminderRecord& r) {
    return std::tie(r.deleted, r.completed, r.priority, r.title, r.due, r.completedDate, r.list, r.notes);
}

template <typename Record>
void expectRecords(const std::vector<Record>& actual, const std::vector<Record>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(fieldsOf(actual[i]) == fieldsOf(expected[i])) << "record " << i << ": " << actual[i].title;
}

CalendarEventRecord event(std::uint32_t deleted, std::string title, std::string start, std::string end,
                          std::string location, std::string notes, std::string calendar,
                          std::string recurrence = {}, std::int32_t allDay = 0) {
    CalendarEventRecord e;
    e.deleted = deleted;
    e.allDay = allDay;
    e.title = std::move(title);
    e.start = std::move(start);
    e.end = std::move(end);
    e.location = std::move(location);
    e.notes = std::move(notes);
    e.calendar = std::move(calendar);
    e.recurrence = std::move(recurrence);
    return e;
}

/// Events of a file with a calendar, a place, a weekly meeting, an all-day
/// day, and filler events of which two are deleted again.
void fillEvents(CalendarDb& db) {
    const auto home = db.addCalendar("Home");
    const auto work = db.addCalendar("Work");
    const auto office = db.addLocation("Office", "1 Main Street, Springfield");
    CalendarEvent dentist;
    dentist.calendar = home;
    dentist.notes = "Bring the card";
    db.addEvent(dentist); // 2024-05-02 08:00 - 09:00
    CalendarEvent meeting;
    meeting.title = "Team meeting";
    meeting.start = 738927000; // 2024-06-01 09:30
    meeting.end = 738928800;
    meeting.calendar = work;
    meeting.location = office;
    const auto meetingKey = db.addEvent(meeting);
    db.addRecurrence(meetingKey, 2, 1, 10, "D=+1MO");
    CalendarEvent holiday;
    holiday.title = "Holiday";
    holiday.start = 736387200; // 2024-05-03, a whole day
    holiday.end = 736473600;
    holiday.allDay = true;
    holiday.calendar = home;
    db.addEvent(holiday);
    for (int i = 0; i < 12; ++i) {
        CalendarEvent filler;
        filler.title = "Event " + std::to_string(i) + " with a longer title to fill the page";
        filler.start = 742305600 + i * 3600.0; // from 2024-07-10 12:00
        filler.end = filler.start + 1800;
        filler.calendar = work;
        filler.location = i == 4 ? office : 0;
        db.addEvent(filler);
    }
    db.deleteWhere("CalendarItem", "summary LIKE 'Event 4 %' OR summary LIKE 'Event 9 %'");
}

std::vector<CalendarEventRecord> expectedEvents() {
    std::vector<CalendarEventRecord> events{
        event(kLive, "Dentist", "2024-05-02 08:00:00", "2024-05-02 09:00:00", "", "Bring the card", "Home"),
        event(kLive, "Holiday", "2024-05-03 00:00:00", "2024-05-04 00:00:00", "", "", "Home", "", 1),
        event(kLive, "Team meeting", "2024-06-01 09:30:00", "2024-06-01 10:00:00",
              "Office, 1 Main Street, Springfield", "", "Work", "FREQ=WEEKLY;INTERVAL=1;COUNT=10;D=+1MO"),
    };
    const char* hours[] = {"12", "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23"};
    for (int i = 0; i < 12; ++i) {
        const std::string day = "2024-07-10 ";
        const bool deleted = i == 4 || i == 9;
        events.push_back(event(deleted ? kDeleted : kLive,
                               "Event " + std::to_string(i) + " with a longer title to fill the page",
                               day + hours[i] + ":00:00", day + hours[i] + ":30:00",
                               i == 4 ? "Office, 1 Main Street, Springfield" : "", "", "Work"));
    }
    return events;
}

class CalendarLayouts : public ::testing::TestWithParam<CalendarLayout> {
protected:
    std::filesystem::path file() const { return m_temp / "Calendar.sqlitedb"; }
    test::TempFolder m_temp;
};

TEST_P(CalendarLayouts, LiveAndDeletedEventsInStartOrder) {
    CalendarDb db(file(), GetParam());
    fillEvents(db);
    db.close();
    CalendarItems items;
    ASSERT_EQ(decodeCalendar(file(), {}, items), kStatusOk);
    expectRecords(items.events, expectedEvents());
    EXPECT_TRUE(items.reminders.empty());
}

TEST_P(CalendarLayouts, AllDayTimesStayAsStoredInAnyZone) {
    CalendarDb db(file(), GetParam());
    fillEvents(db);
    db.close();
    test::ScopedTimeZone tokyo("JST-9");
    CalendarItems items;
    ASSERT_EQ(decodeCalendar(file(), {}, items), kStatusOk);
    ASSERT_GE(items.events.size(), 2u);
    EXPECT_EQ(items.events[0].start, "2024-05-02 17:00:00"); // the dentist, in local time
    EXPECT_EQ(items.events[1].title, "Holiday");
    EXPECT_EQ(items.events[1].start, "2024-05-03 00:00:00");
    EXPECT_EQ(items.events[1].end, "2024-05-04 00:00:00");
}

INSTANTIATE_TEST_SUITE_P(Devices, CalendarLayouts,
                         ::testing::Values(CalendarLayout::ios9to12, CalendarLayout::ios15),
                         [](const auto& info) { return test::layoutName(info.param); });

TEST(CalendarReminders, RemindersOfTheCalendarFileAreItemsOfTheReminderKind) {
    test::TempFolder temp;
    const auto path = temp / "Calendar.sqlitedb";
    CalendarDb db(path, CalendarLayout::ios9to12);
    const auto home = db.addCalendar("Home");
    const auto list = db.addCalendar("Errands");
    CalendarEvent dentist;
    dentist.calendar = home;
    db.addEvent(dentist);
    CalendarReminder bank;
    bank.list = list;
    bank.due = 736279200; // 2024-05-01 18:00, a wall-clock time
    bank.priority = 1;
    bank.notes = "Ask about the card";
    db.addReminder(bank);
    for (int i = 0; i < 10; ++i) {
        CalendarReminder chore;
        chore.title = "Chore " + std::to_string(i) + " that takes a few words to describe";
        chore.list = list;
        if (i % 3 == 0) chore.completed = 736329600; // 2024-05-02 08:00
        db.addReminder(chore);
    }
    db.deleteWhere("CalendarItem", "summary LIKE 'Chore 3 %'");
    db.close();

    test::ScopedTimeZone tokyo("JST-9");
    CalendarItems items;
    ASSERT_EQ(decodeCalendar(path, {}, items), kStatusOk);
    ASSERT_EQ(items.events.size(), 1u);
    EXPECT_EQ(items.events[0].title, "Dentist");

    std::vector<ReminderRecord> expected;
    ReminderRecord first;
    first.priority = 1;
    first.title = "Call the bank";
    first.due = "2024-05-01 18:00:00";
    first.list = "Errands";
    first.notes = "Ask about the card";
    expected.push_back(first);
    std::vector<ReminderRecord> chores;
    for (int i = 0; i < 10; ++i) {
        ReminderRecord chore;
        chore.title = "Chore " + std::to_string(i) + " that takes a few words to describe";
        chore.list = "Errands";
        if (i % 3 == 0) {
            chore.completed = 1;
            chore.completedDate = "2024-05-02 17:00:00";
        }
        chore.deleted = i == 3 ? kDeleted : kLive;
        chores.push_back(chore);
    }
    // Live rows first, then the one recovered from free space.
    for (int i = 0; i < 10; ++i)
        if (i != 3) expected.push_back(chores[static_cast<std::size_t>(i)]);
    expected.push_back(chores[3]);
    expectRecords(items.reminders, expected);
}

TEST(CalendarFile, MissingAndForeignFiles) {
    test::TempFolder temp;
    CalendarItems items;
    EXPECT_EQ(decodeCalendar(temp / "none.sqlitedb", {}, items), kStatusFileMissing);
    test::writeFile(temp / "text.sqlitedb", "not a database at all, only some words");
    EXPECT_NE(decodeCalendar(temp / "text.sqlitedb", {}, items), kStatusOk);
    EXPECT_TRUE(items.events.empty());
}

} // namespace
} // namespace orvelle
