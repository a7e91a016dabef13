#include "support/DemoDatabases.h"

#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbCalendar.h"
#include "support/DeviceDbCalls.h"
#include "support/DeviceDbMessengers.h"
#include "support/DeviceDbNoteStore.h"
#include "support/DeviceDbNotes.h"
#include "support/DeviceDbSms.h"
#include "support/DeviceDbWhatsApp.h"
#include "support/TempFolder.h"
#include "support/WriteAheadLogFixture.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orvelle::test {

namespace {

constexpr std::int64_t kMay2024 = 737078400; // 2024-05-11 00:00:00 UTC in Apple seconds

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

/// Where sms.db is copied with its log while the log still holds commits.
std::filesystem::path loggedCopy(const std::filesystem::path& path) {
    std::filesystem::path copy = path;
    copy += ".logged";
    return copy;
}

std::filesystem::path logOf(const std::filesystem::path& database) {
    std::filesystem::path log = database;
    log += "-wal";
    return log;
}

/// sms.db as a device leaves it between checkpoints: one message to `kept`
/// committed only to sms.db-wal, and one to `regretted` committed there and
/// deleted again (zeroed in the newer page, so only the log's older version
/// keeps it). The file and its log are copied to loggedCopy(path) before the
/// close checkpoints them.
void addLoggedMessages(SmsDb& db, std::int64_t keptHandle, std::int64_t regrettedHandle,
                       const std::filesystem::path& path) {
    startWriteAheadLog(db.fixture());
    SmsMessage kept;
    kept.text = std::string("On my way, see you at the station");
    kept.handleId = keptHandle;
    kept.appleSeconds = kMay2024 + 12 * 3600;
    db.addMessage(kept);
    SmsMessage regretted = kept;
    regretted.text = std::string("Sent to the wrong person, sorry");
    regretted.fromMe = true;
    regretted.handleId = regrettedHandle;
    regretted.service = "iMessage";
    regretted.appleSeconds = kMay2024 + 13 * 3600;
    const std::int64_t id = db.addMessage(regretted);
    db.exec("PRAGMA secure_delete=ON");
    db.deleteWhere("message", "ROWID = " + std::to_string(id));
    db.exec("PRAGMA secure_delete=OFF");
    copyWithLog(path, loggedCopy(path));
}

std::string buildMessages(const std::filesystem::path& path) {
    SmsDb db(path, SmsLayout::ios14);
    const auto maria = db.addHandle("+12025550143");
    const auto james = db.addHandle("+12025550199", "iMessage");
    const char* texts[] = {"Are we still on for Saturday?",
                           "Yes! 10am at the park",
                           "Bring the frisbee",
                           "Running 5 min late",
                           "No worries",
                           "Photo from today",
                           "Dinner at 7?",
                           "Sounds good",
                           "Delete me later",
                           "Can you call me back?",
                           "Landed safely",
                           "Welcome home!"};
    for (int i = 0; i < 12; ++i) {
        SmsMessage m;
        m.text = std::string(texts[i]);
        m.handleId = i < 6 ? maria : james;
        m.fromMe = i % 2 == 1;
        m.service = i < 6 ? "SMS" : "iMessage";
        m.appleSeconds = kMay2024 + i * 3600;
        const auto id = db.addMessage(m);
        if (i == 5)
            db.attach(id, db.addAttachment("~/Library/SMS/Attachments/4a/10/IMG_1.HEIC", "image/heic"));
    }
    db.deleteWhere("message", "ROWID = 9"); // "Delete me later"
    addLoggedMessages(db, maria, james, path);
    db.close();
    return contentOf(loggedCopy(path));
}

std::string buildAddressBook(const std::filesystem::path& path) {
    AddressBookDb db(path, AddressBookLayout::ios15);
    const Person people[] = {
        {"Maria", "Lopez", "", {"(202) 555-0143"}, std::nullopt, "maria@example.com", "", "", ""},
        {"James", "Chen", "Chen Bakery", {"(202) 555-0199"}, std::nullopt, "", "12 Main St", "", ""},
        {"Priya", "Patel", "", {"(415) 555-0123"}, std::nullopt, "priya@example.org", "", "", ""},
        {"Old", "Friend", "", {"(303) 555-0188"}, std::nullopt, "", "", "", ""},
        {"Tom", "Baker", "", {"(617) 555-0111"}, std::nullopt, "", "", "https://tom.example", ""},
        {"", "", "City Dentist", {"(202) 555-0100"}, std::nullopt, "", "", "", ""},
    };
    for (const Person& p : people)
        db.addPerson(p);
    db.deleteWhere("ABPersonFullTextSearch_content", "docid = 4"); // "Old Friend"
    db.close();
    return contentOf(path);
}

std::string buildCalls(const std::filesystem::path& path) {
    CallHistoryDb db(path, CallHistoryLayout::callRecordIos17);
    const char* numbers[] = {"+12025550143", "+12025550199", "+14155550123", "+13035550188",
                             "+16175550111", "+12025550143", "+12025550100", "+12025550199"};
    for (int i = 0; i < 8; ++i) {
        Call c;
        c.number = numbers[i];
        c.appleSeconds = kMay2024 + i * 7200 + 0.5;
        c.duration = i == 2 ? 0 : 30 + i * 45;
        c.incoming = i % 3 != 0;
        db.addCall(c);
    }
    db.deleteWhere(db.table(), "Z_PK = 4"); // the call to "Old Friend"
    db.close();
    return contentOf(path);
}

std::string buildNotes(const std::filesystem::path& path) {
    NotesDb db(path);
    const char* titles[] = {"Shopping", "Passwords hint", "Trip plan", "Gift ideas", "Books to read"};
    for (int i = 0; i < 5; ++i) {
        Note n;
        n.title = titles[i];
        n.html = std::string("<div>") + titles[i] + "</div><div>line two of note " + std::to_string(i + 1) +
                 "</div>";
        n.modifiedAppleSeconds = kMay2024 + i * 86400;
        db.addNote(n);
    }
    db.deleteWhere("ZNOTE", "Z_PK = 2");
    db.deleteWhere("ZNOTEBODY", "Z_PK = 2");
    db.close();
    return contentOf(path);
}

/// The note store of iOS 9 and later: a note with a photo, one in a folder of
/// the user's, a locked one, one in Recently Deleted and one deleted for good
/// (its rows left in free space).
std::string buildNoteStore(const std::filesystem::path& path) {
    NoteStoreDb db(path);
    const auto note = [](const std::string& title, const std::string& lines, int day) {
        StoreNote n;
        n.title = title;
        n.text = title + "\n" + lines;
        n.createdAppleSeconds = kMay2024 + day * 86400;
        n.modifiedAppleSeconds = kMay2024 + day * 86400 + 600;
        return n;
    };
    StoreNote packing = note("Packing list", "Passport\nCharger", 1);
    packing.attachments = {StoreAttachment{"public.jpeg", "IMG_0420.jpg", ""}};
    db.addNote(packing);
    StoreNote recipes = note("Pancakes", "Flour, milk, two eggs", 2);
    recipes.folder = db.addFolder("Kitchen");
    db.addNote(recipes);
    StoreNote codes = note("Door codes", "4711", 3);
    codes.locked = true;
    db.addNote(codes);
    StoreNote draft = note("Old draft", "Never sent", 4);
    draft.folder = db.trashFolder();
    db.addNote(draft);
    const auto party = db.addNote(note("Party plan", "Balloons\nCake", 5));
    db.addNote(note("Weekend", "Hike if it is sunny", 6));
    db.deleteNote(party);
    db.close();
    return contentOf(path);
}

std::string buildWhatsApp(const std::filesystem::path& path) {
    WhatsAppDb db(path, WhatsAppLayout::ios15);
    const auto partner = db.addChat("12025550143@s.whatsapp.net", "Maria Lopez");
    const auto group = db.addChat("120363012345678901@g.us", "Hiking Club");
    const auto priya = db.addMember(group, "14155550123@s.whatsapp.net", "Priya");
    const auto tom = db.addMember(group, "16175550111@s.whatsapp.net", "Tom");
    for (int i = 0; i < 10; ++i) {
        WhatsAppMessage m;
        m.chat = i < 5 ? partner : group;
        m.member = i < 5 ? 0 : (i % 2 ? priya : tom);
        m.fromMe = i == 1 || i == 8;
        if (m.fromMe) m.member = 0;
        m.text = "WhatsApp demo message " + std::to_string(i + 1);
        m.appleSeconds = kMay2024 + i * 600;
        db.addMessage(m);
    }
    db.deleteWhere("ZWAMESSAGE", "Z_PK = 3");
    db.close();
    return contentOf(path);
}

std::string buildCalendar(const std::filesystem::path& path) {
    CalendarDb db(path, CalendarLayout::ios15);
    const auto home = db.addCalendar("Home");
    const auto work = db.addCalendar("Work");
    const auto park = db.addLocation("Rock Creek Park", "Washington, DC");
    const char* titles[] = {"Frisbee at the park", "Dentist", "Cancelled lunch", "Team meeting", "Flight home"};
    for (int i = 0; i < 5; ++i) {
        CalendarEvent e;
        e.title = titles[i];
        e.start = static_cast<double>(kMay2024 + i * 86400 + 36000);
        e.end = e.start + 3600;
        e.zone = "America/New_York";
        e.calendar = i == 3 ? work : home;
        e.location = i == 0 ? park : 0;
        e.notes = i == 1 ? "Bring the insurance card" : "";
        const auto key = db.addEvent(e);
        if (i == 3) db.addRecurrence(key, 2, 1, 0);
    }
    db.deleteWhere("CalendarItem", "ROWID = 3"); // "Cancelled lunch"
    db.close();
    return contentOf(path);
}

std::string buildReminders(const std::filesystem::path& path) {
    ReminderStoreDb db(path);
    const auto groceries = db.addList("Groceries");
    const auto errands = db.addList("Errands");
    const char* titles[] = {"Buy milk", "Pick up the dry cleaning", "Forgotten errand", "Renew passport",
                            "Eggs and bread"};
    for (int i = 0; i < 5; ++i) {
        StoreReminder r;
        r.title = titles[i];
        r.list = i == 0 || i == 4 ? groceries : errands;
        if (i == 3) r.due = static_cast<double>(kMay2024 + 7 * 86400);
        r.completed = i == 1;
        if (r.completed) r.completedOn = static_cast<double>(kMay2024 + 3600);
        r.notes = i == 3 ? "Photos first" : "";
        db.addReminder(r);
    }
    db.deleteWhere("ZREMCDREMINDER", "Z_PK = 3"); // "Forgotten errand"
    db.close();
    return contentOf(path);
}

std::string buildBookmarks(const std::filesystem::path& path) {
    BookmarksDb db(path);
    const auto recipes = db.addFolder(db.menu(), "Recipes");
    db.addBookmark(db.bar(), "Apple", "https://www.apple.com/");
    db.addBookmark(recipes, "Pancakes", "https://recipes.example/pancakes");
    db.addBookmark(recipes, "Old recipe site", "https://old-recipes.example/");
    db.addBookmark(db.menu(), "Hiking trails", "https://trails.example/dc");
    db.addBookmark(db.readingList(), "A long article", "https://news.example/long-article");
    db.deleteWhere("bookmarks", "title = 'Old recipe site'");
    db.close();
    return contentOf(path);
}

/// Unix seconds of kMay2024.
constexpr std::int64_t kMay2024Unix = kMay2024 + 978307200;

MessengerMessage messengerMessage(int minute, bool fromMe, std::string text) {
    return MessengerMessage{kMay2024Unix + 60 * minute, fromMe, std::move(text)};
}

std::string buildQq(const std::filesystem::path& path) {
    QqDb db(path);
    db.addPartner("20002");
    db.addPartner("30003");
    db.addMessage("20002", messengerMessage(0, false, "QQ demo: are we still on for Saturday?"));
    db.addMessage("20002", messengerMessage(2, true, "QQ demo: yes, 10 o'clock"));
    db.addMessage("20002", messengerMessage(3, false, "QQ demo: I will bring the map"));
    db.addMessage("30003", messengerMessage(10, false, "QQ demo: 你好! Did you get the photos?"));
    const auto deleted = db.addMessage("30003", messengerMessage(11, true, "QQ demo: deleted reply"));
    db.addMessage("30003", messengerMessage(12, true, "QQ demo: got them, thanks"));
    db.fixture().deleteWhere(QqDb::tableOf("30003"), "rowid = " + std::to_string(deleted));
    db.close();
    return contentOf(path);
}

/// One WeChat account of the newer layout: MM.sqlite with a friend and her
/// older messages, message_1.sqlite with the newer ones and another
/// friend's chat, WCDB_Contact.sqlite with that friend.
struct WeChatFiles {
    std::string mm, messages, contacts;
};

WeChatFiles buildWeChat(const std::filesystem::path& folder) {
    WeChatDb mm(folder / "MM.sqlite", true);
    mm.addFriend("wxid_maria", "Maria");
    mm.addChatTable("wxid_maria");
    mm.addMessage("wxid_maria", messengerMessage(20, false, "WeChat demo: the train leaves at 8"));
    mm.addMessage("wxid_maria", messengerMessage(21, true, "WeChat demo: see you on the platform"));
    WeChatDb contacts(folder / "WCDB_Contact.sqlite", true);
    contacts.addFriend("wxid_chen", "陈静");
    WeChatDb messages(folder / "message_1.sqlite", false);
    messages.addChatTable("wxid_maria");
    messages.addChatTable("wxid_chen");
    messages.addMessage("wxid_maria", messengerMessage(25, false, "WeChat demo: I am in coach 4"));
    messages.addMessage("wxid_chen", messengerMessage(30, false, "WeChat demo: 周末一起吃饭吗?"));
    const auto deleted =
        messages.addMessage("wxid_chen", messengerMessage(31, true, "WeChat demo: deleted answer"));
    messages.addMessage("wxid_chen", messengerMessage(32, true, "WeChat demo: Sunday works"));
    messages.addMessage("wxid_chen", messengerMessage(33, false, "WeChat demo: great"));
    messages.fixture().deleteWhere(WeChatDb::tableOf("wxid_chen"), "MesLocalID = " + std::to_string(deleted));
    for (auto* db : {&mm, &contacts, &messages})
        db->close();
    return {contentOf(folder / "MM.sqlite"), contentOf(folder / "message_1.sqlite"),
            contentOf(folder / "WCDB_Contact.sqlite")};
}

} // namespace

void addDemoDatabases(BackupBuilder& backup) {
    TempFolder scratch("orvelle-demo-databases");
    backup.addFile("HomeDomain", "Library/SMS/sms.db", buildMessages(scratch / "sms.db"));
    backup.addFile("HomeDomain", "Library/SMS/sms.db-wal", contentOf(logOf(loggedCopy(scratch / "sms.db"))));
    backup.addFile("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb",
                   buildAddressBook(scratch / "AddressBook.sqlitedb"));
    backup.addFile("HomeDomain", "Library/CallHistoryDB/CallHistory.storedata",
                   buildCalls(scratch / "CallHistory.storedata"));
    backup.addFile("HomeDomain", "Library/Notes/notes.sqlite", buildNotes(scratch / "notes.sqlite"));
    backup.addFile("AppDomainGroup-group.com.apple.notes", "NoteStore.sqlite",
                   buildNoteStore(scratch / "NoteStore.sqlite"));
    backup.addFile("AppDomainGroup-group.net.whatsapp.WhatsApp.shared", "ChatStorage.sqlite",
                   buildWhatsApp(scratch / "ChatStorage.sqlite"));
    backup.addFile("HomeDomain", "Library/Calendar/Calendar.sqlitedb",
                   buildCalendar(scratch / "Calendar.sqlitedb"));
    backup.addFile("AppDomainGroup-group.com.apple.reminders",
                   "Container_v1/Stores/Data-7D3F52A1-6C0B-4E8A-9B2D-1F4E5A6C7D8E.sqlite",
                   buildReminders(scratch / "Data.sqlite"));
    backup.addFile("HomeDomain", "Library/Safari/Bookmarks.db", buildBookmarks(scratch / "Bookmarks.db"));
    backup.addFile("AppDomain-com.tencent.mqq", "Documents/10001/QQ.db", buildQq(scratch / "QQ.db"));
    const WeChatFiles weChat = buildWeChat(scratch.path());
    const std::string account = "Documents/9e107d9d372bb6826bd81d3542a419d6/DB/";
    backup.addFile("AppDomain-com.tencent.xin", account + "MM.sqlite", weChat.mm);
    backup.addFile("AppDomain-com.tencent.xin", account + "message_1.sqlite", weChat.messages);
    backup.addFile("AppDomain-com.tencent.xin", account + "WCDB_Contact.sqlite", weChat.contacts);
}

} // namespace orvelle::test
