#include "sqlite_records/decoders/RemindersDecoder.h"

#include "support/DeviceDbCalendar.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <tuple>

namespace orvelle {
namespace {

using test::ReminderStoreDb;
using test::StoreReminder;

auto fieldsOf(const ReminderRecord& r) {
    return std::tie(r.deleted, r.completed, r.priority, r.title, r.due, r.completedDate, r.list, r.notes);
}

struct Case {
    const char* name;
    StoreReminder stored;
    bool deleteAfterwards; ///< removed from the table again (recovered from free space)
    ReminderRecord expected;
};

ReminderRecord record(std::uint32_t deleted, std::string title, std::string due, std::int32_t completed,
                      std::string completedDate, std::string list, std::string notes, std::int32_t priority = 0) {
    ReminderRecord r;
    r.deleted = deleted;
    r.completed = completed;
    r.priority = priority;
    r.title = std::move(title);
    r.due = std::move(due);
    r.completedDate = std::move(completedDate);
    r.list = std::move(list);
    r.notes = std::move(notes);
    return r;
}

StoreReminder stored(std::string title, std::int64_t list) {
    StoreReminder r;
    r.title = std::move(title);
    r.list = list;
    return r;
}

TEST(ReminderStore, LiveDeletedAndMarkedRemindersWithTheirLists) {
    test::TempFolder temp;
    const auto path = temp / "Data-4F2A.sqlite";
    ReminderStoreDb db(path);
    const auto groceries = db.addList("Groceries");
    const auto work = db.addList("Work");
    std::vector<Case> cases;
    {
        StoreReminder milk = stored("Buy milk", groceries);
        milk.due = 736329600; // 2024-05-02 08:00 UTC
        milk.notes = "Two litres";
        milk.priority = 5;
        cases.push_back({"due", milk, false,
                         record(kLive, "Buy milk", "2024-05-02 17:00:00", 0, "", "Groceries", "Two litres", 5)});
    }
    {
        StoreReminder report = stored("Send the report", work);
        report.completed = true;
        report.completedOn = 736279200; // 2024-05-01 18:00 UTC
        cases.push_back({"completed", report, false,
                         record(kLive, "Send the report", "", 1, "2024-05-02 03:00:00", "Work", "")});
    }
    {
        StoreReminder birthday = stored("Birthday card", work);
        birthday.due = 736387200; // 2024-05-03, a whole day
        birthday.allDay = true;
        cases.push_back(
            {"all day", birthday, false, record(kLive, "Birthday card", "2024-05-03 00:00:00", 0, "", "Work", "")});
    }
    {
        StoreReminder old = stored("Return the library books", groceries);
        old.markedForDeletion = true;
        cases.push_back(
            {"marked for deletion", old, false, record(kDeleted, "Return the library books", "", 0, "", "Groceries", "")});
    }
    for (int i = 0; i < 8; ++i) {
        const std::string title = "Errand " + std::to_string(i) + " written out at some length";
        cases.push_back({"filler", stored(title, groceries), i == 5,
                         record(i == 5 ? kDeleted : kLive, title, "", 0, "", "Groceries", "")});
    }
    cases.push_back({"no list", stored("Loose end", 0), false, record(kLive, "Loose end", "", 0, "", "", "")});
    for (const Case& c : cases)
        db.addReminder(c.stored);
    db.deleteWhere("ZREMCDREMINDER", "ZTITLE LIKE 'Errand 5 %'");
    db.close();

    test::ScopedTimeZone tokyo("JST-9");
    std::vector<ReminderRecord> out;
    ASSERT_EQ(decodeReminderStore(path, {}, out), kStatusOk);
    // Live rows in table order, then the one recovered from free space.
    std::vector<const Case*> order;
    for (const Case& c : cases)
        if (!c.deleteAfterwards) order.push_back(&c);
    for (const Case& c : cases)
        if (c.deleteAfterwards) order.push_back(&c);
    ASSERT_EQ(out.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_TRUE(fieldsOf(out[i]) == fieldsOf(order[i]->expected)) << order[i]->name << ": " << out[i].title;
}

TEST(ReminderStore, AppendsToWhatTheCallerHolds) {
    test::TempFolder temp;
    const auto path = temp / "Data-1.sqlite";
    ReminderStoreDb db(path);
    db.addReminder(stored("Only one", db.addList("Inbox")));
    db.close();
    std::vector<ReminderRecord> out(1);
    ASSERT_EQ(decodeReminderStore(path, {}, out), kStatusOk);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].list, "Inbox");
    EXPECT_EQ(decodeReminderStore(temp / "Data-2.sqlite", {}, out), kStatusFileMissing);
    EXPECT_EQ(out.size(), 2u);
}

} // namespace
} // namespace orvelle
