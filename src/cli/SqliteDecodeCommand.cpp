// orvelle sqlite decode KIND DB [--address-book DB] [--json]: runs one record
// decoder on loose database files (copied from a backup or from anywhere) and
// prints its records, live and deleted.

#include "cli/Command.h"
#include "cli/Json.h"
#include "cli/RecordJson.h"
#include "core/ItemRecords.h"
#include "core/NoteText.h"
#include "core/ProblemText.h"
#include "core/TerminalText.h"
#include "platform/PathText.h"
#include "scan/DisplayText.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableSchema.h"
#include "sqlite_records/decoders/BookmarksDecoder.h"
#include "sqlite_records/decoders/CalendarDecoder.h"
#include "sqlite_records/decoders/CallsDecoder.h"
#include "sqlite_records/decoders/ContactsDecoder.h"
#include "sqlite_records/decoders/MessagesDecoder.h"
#include "sqlite_records/decoders/NoteStoreDecoder.h"
#include "sqlite_records/decoders/QqDecoder.h"
#include "sqlite_records/decoders/RemindersDecoder.h"
#include "sqlite_records/decoders/WeChatDecoder.h"
#include "sqlite_records/decoders/WhatsAppDecoder.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace orvelle::cli {

namespace {

struct DecodeOptions {
    std::string kind;
    std::string database;
    std::string addressBook;
    std::vector<std::string> messageFiles; ///< WeChat: message_N.sqlite of the same account
    std::string contacts;                  ///< WeChat: WCDB_Contact.sqlite of the same account
    bool json = false;
    bool noLog = false;
};

const std::map<std::string, std::string> kKinds{{"messages", "sms.db"},
                                                {"contacts", "AddressBook.sqlitedb"},
                                                {"notes", "NoteStore.sqlite or notes.sqlite"},
                                                {"calls", "CallHistory.storedata or call_history.db"},
                                                {"whatsapp", "ChatStorage.sqlite"},
                                                {"calendar", "Calendar.sqlitedb (events)"},
                                                {"reminder", "Calendar.sqlitedb (iOS 12 and earlier) or "
                                                             "the Reminders app's Data-*.sqlite"},
                                                {"bookmarks", "Safari's Bookmarks.db"},
                                                {"qq", "QQ.db of one QQ account"},
                                                {"wechat", "MM.sqlite of one WeChat account"}};

const char* stateText(std::uint32_t deleted) {
    return deleted ? "Deleted" : "Normal";
}

/// Set when a database was damaged but partly read: the records that could be
/// read are printed, and the command then ends with kExitUnreadableCategory.
bool g_partlyRead = false;

/// Fails with the problem in words when `database` could not be decoded; a
/// damaged database whose records were partly read only gets a warning.
void checkDecoded(const std::string& database, Status status) {
    if (status == kStatusOk) return;
    if (status == kStatusDatabaseDamaged) {
        std::cerr << "orvelle sqlite decode: warning: " << terminalText(database) << ": "
                  << problemText(status) << '\n';
        g_partlyRead = true;
        return;
    }
    std::cerr << "orvelle sqlite decode: cannot read " << terminalText(database) << ": "
              << (status == kStatusFileMissing ? std::string("the file does not exist") : problemText(status))
              << '\n';
    throw CLI::RuntimeError(kExitFailure);
}

/// The decoders' context: the log beside each database unless --no-wal, and
/// a warning for a log that could be used only in part.
DecodeContext decodeContext(const DecodeOptions& options) {
    DecodeContext context;
    context.links = platform::LinkRule::follow; // loose files the user names may be their own links
    const bool readLog = !options.noLog;
    context.logFor = [readLog](const std::filesystem::path&) { return LogOptions{readLog, {}}; };
    context.logWarning = [](const std::filesystem::path& database, const std::string& problem) {
        std::cerr << "orvelle sqlite decode: warning: " << terminalText(platform::pathText(database)) << ": "
                  << terminalText(problem) << '\n';
    };
    return context;
}

void warnAddressBook(const DecodeOptions& options, const DecodeReport& report) {
    if (!options.addressBook.empty() && report.addressBook != kStatusOk)
        std::cerr << "orvelle sqlite decode: warning: the address book " << terminalText(options.addressBook)
                  << " could not be read (" << problemText(report.addressBook)
                  << "); records are shown without names\n";
}

template <typename Map> void writeGrouped(const Map& groups) {
    JsonWriter json(std::cout);
    json.beginArray();
    for (const auto& [key, records] : groups) {
        json.beginObject().field("key", key).key("messages").beginArray();
        for (const auto& record : records)
            writeRecord(json, record);
        json.endArray().endObject();
    }
    json.endArray();
    std::cout << '\n';
}

void runMessages(const DecodeOptions& options) {
    ConversationMap conversations;
    std::uint64_t maxRowId = 0;
    DecodeReport report;
    const Status status = decodeMessages(options.database, options.addressBook, decodeContext(options),
                                         conversations, maxRowId, &report);
    checkDecoded(options.database, status);
    warnAddressBook(options, report);
    if (options.json) return writeGrouped(conversations);
    std::cout << "date\tstate\trowId\tfrom\tcontactName\ttext\tattachmentName\n";
    for (const auto& [key, messages] : conversations) {
        std::cout << "== conversation " << key << " (" << messages.size() << " messages)\n";
        for (const auto& m : messages)
            std::cout << m.date << '\t' << stateText(m.deleted) << '\t' << m.rowId << '\t'
                      << terminalText(m.fromMe ? std::string("Me") : m.address) << '\t'
                      << terminalText(m.contactName) << '\t' << terminalText(m.text) << '\t'
                      << terminalText(m.attachmentName) << '\n';
    }
    std::cout << report.liveRows + report.deletedRows << " messages (" << report.liveRows << " live, "
              << report.deletedRows << " deleted) in " << conversations.size() << " conversations\n";
}

void runWhatsApp(const DecodeOptions& options) {
    WhatsAppChatMap chats;
    const Status status = decodeWhatsApp(options.database, chats, decodeContext(options));
    checkDecoded(options.database, status);
    if (options.json) return writeGrouped(chats);
    std::cout << "date\tstate\trowId\tsenderName\tsenderId\ttext\n";
    std::size_t live = 0, deleted = 0;
    for (const auto& [key, messages] : chats) {
        const std::string title = messages.empty() ? std::string() : messages.front().chatTitle;
        std::cout << "== chat " << key << " " << terminalText(title) << " (" << messages.size()
                  << " messages)\n";
        for (const auto& m : messages) {
            (m.deleted ? deleted : live)++;
            std::cout << m.date << '\t' << stateText(m.deleted) << '\t' << m.rowId << '\t'
                      << terminalText(m.senderName) << '\t' << terminalText(m.senderId) << '\t'
                      << terminalText(m.text) << '\n';
        }
    }
    std::cout << live + deleted << " messages (" << live << " live, " << deleted << " deleted) in "
              << chats.size() << " chats\n";
}

/// QQ or WeChat conversations: partner -> messages.
void printPartnerChats(const DecodeOptions& options, const PartnerChatMap& chats) {
    if (options.json) {
        JsonWriter json(std::cout);
        json.beginArray();
        for (const auto& [partner, messages] : chats) {
            json.beginObject().field("partner", partner).key("messages");
            writeRecords(json, messages);
            json.endObject();
        }
        json.endArray();
        std::cout << '\n';
        return;
    }
    std::cout << "date\tstate\tfrom\tcontactName\ttext\n";
    std::size_t live = 0, deleted = 0;
    for (const auto& [partner, messages] : chats) {
        std::cout << "== partner " << terminalText(partner) << " (" << messages.size() << " messages)\n";
        for (const auto& m : messages) {
            (m.deleted ? deleted : live)++;
            std::cout << m.date << '\t' << stateText(m.deleted) << '\t'
                      << terminalText(m.fromMe ? std::string("Me") : partner) << '\t'
                      << terminalText(m.contactName) << '\t' << terminalText(m.text) << '\n';
        }
    }
    std::cout << live + deleted << " messages (" << live << " live, " << deleted << " deleted) with "
              << chats.size() << " partners\n";
}

void runQq(const DecodeOptions& options) {
    PartnerChatMap chats;
    checkDecoded(options.database, decodeQQ(options.database, chats, decodeContext(options)));
    printPartnerChats(options, chats);
}

void runWeChat(const DecodeOptions& options) {
    WeChatDatabases files;
    files.mm = platform::utf8Path(options.database);
    for (const std::string& file : options.messageFiles)
        files.messageFiles.push_back(platform::utf8Path(file));
    if (!options.contacts.empty()) files.contacts = platform::utf8Path(options.contacts);
    PartnerChatMap chats;
    checkDecoded(options.database, decodeWeChat(files, chats, decodeContext(options)));
    printPartnerChats(options, chats);
}

void runContacts(const DecodeOptions& options) {
    std::vector<ContactRecord> contacts;
    std::uint64_t maxContactRowId = 0;
    const Status status = decodeContacts(options.database, decodeContext(options), contacts, maxContactRowId);
    checkDecoded(options.database, status);
    if (options.json) {
        JsonWriter json(std::cout);
        writeRecords(json, contacts);
        std::cout << '\n';
        return;
    }
    std::cout << "name\tstate\tphones\temail\tcompany\taddress\turl\tsocial\n";
    for (const auto& c : contacts)
        std::cout << terminalText(c.name) << '\t' << stateText(c.deleted) << '\t' << terminalText(c.phones)
                  << '\t' << terminalText(c.email) << '\t' << terminalText(c.company) << '\t'
                  << terminalText(c.address) << '\t' << terminalText(c.url) << '\t' << terminalText(c.social)
                  << '\n';
    std::cout << contacts.size() << " contacts\n";
}

void runCalls(const DecodeOptions& options) {
    std::vector<CallRecord> calls;
    DecodeReport report;
    const Status status = decodeCalls(options.database, options.addressBook, decodeContext(options), calls, &report);
    checkDecoded(options.database, status);
    warnAddressBook(options, report);
    if (options.json) {
        JsonWriter json(std::cout);
        writeRecords(json, calls);
        std::cout << '\n';
        return;
    }
    std::cout << "date\tstate\tdirection\tduration\tnumber\tcontactName\n";
    for (const auto& c : calls)
        std::cout << c.date << '\t' << stateText(c.deleted) << '\t' << (c.incoming ? "Incoming" : "Outgoing")
                  << '\t' << c.duration << '\t' << terminalText(c.number) << '\t'
                  << terminalText(c.contactName) << '\n';
    std::cout << calls.size() << " calls\n";
}

void runNotes(const DecodeOptions& options) {
    std::vector<NoteRecord> notes;
    const Status status = decodeAnyNotes(options.database, notes, decodeContext(options));
    checkDecoded(options.database, status);
    if (options.json) {
        JsonWriter json(std::cout);
        writeRecords(json, notes);
        std::cout << '\n';
        return;
    }
    std::cout << "date\tstate\tkey\ttitle\tbody\n";
    for (const auto& n : notes)
        std::cout << n.date << '\t' << stateText(n.deleted) << '\t' << n.key << '\t' << terminalText(n.title)
                  << '\t' << terminalText(noteBodyText(n)) << '\n';
    std::cout << notes.size() << " notes\n";
}

/// Prints `records` as JSON, or as a header line, one tab-separated line each and a count line.
template <typename Record, typename Line>
void printRecords(const DecodeOptions& options, const std::vector<Record>& records, std::string_view header,
                  std::string_view noun, Line line) {
    if (options.json) {
        JsonWriter json(std::cout);
        writeRecords(json, records);
        std::cout << '\n';
        return;
    }
    std::cout << header << '\n';
    std::size_t deleted = 0;
    for (const auto& record : records) {
        deleted += record.deleted ? 1 : 0;
        line(record);
        std::cout << '\n';
    }
    std::cout << records.size() << ' ' << noun << " (" << records.size() - deleted << " live, " << deleted
              << " deleted)\n";
}

void runCalendar(const DecodeOptions& options) {
    CalendarItems items;
    const Status status = decodeCalendar(options.database, decodeContext(options), items);
    checkDecoded(options.database, status);
    printRecords(options, items.events, "start\tstate\tend\ttitle\tlocation\tcalendar\trecurrence\tnotes",
                 "events", [](const CalendarEventRecord& e) {
                     std::cout << e.start << '\t' << stateText(e.deleted) << '\t' << e.end << '\t'
                               << terminalText(e.title) << '\t' << terminalText(e.location) << '\t'
                               << terminalText(e.calendar) << '\t' << terminalText(e.recurrence) << '\t'
                               << terminalText(e.notes);
                 });
}

/// Calendar.sqlitedb holds a CalendarItem table; a Reminders store does not.
bool isCalendarDatabase(const std::string& database) {
    SqliteFile file;
    return file.open(platform::utf8Path(database), {}, platform::LinkRule::follow) == kStatusOk &&
           TableSchema::load(file, "CalendarItem");
}

void runReminders(const DecodeOptions& options) {
    std::vector<ReminderRecord> reminders;
    Status status;
    if (isCalendarDatabase(options.database)) {
        CalendarItems items;
        status = decodeCalendar(options.database, decodeContext(options), items);
        reminders = std::move(items.reminders);
    } else {
        status = decodeReminderStore(options.database, decodeContext(options), reminders);
    }
    checkDecoded(options.database, status);
    printRecords(options, reminders, "due\tstate\tcompleted\ttitle\tlist\tnotes", "reminders",
                 [](const ReminderRecord& r) {
                     std::cout << r.due << '\t' << stateText(r.deleted) << '\t'
                               << reminderCompletedText(r)
                               << '\t' << terminalText(r.title) << '\t' << terminalText(r.list) << '\t'
                               << terminalText(r.notes);
                 });
}

void runBookmarks(const DecodeOptions& options) {
    std::vector<BookmarkRecord> bookmarks;
    const Status status = decodeBookmarks(options.database, decodeContext(options), bookmarks);
    checkDecoded(options.database, status);
    printRecords(options, bookmarks, "title\tstate\turl\tfolder", "bookmarks", [](const BookmarkRecord& b) {
        std::cout << terminalText(b.title) << '\t' << stateText(b.deleted) << '\t' << terminalText(b.url)
                  << '\t' << terminalText(b.folder);
    });
}

void run(const DecodeOptions& options) {
    if (!options.addressBook.empty() && options.kind != "messages" && options.kind != "calls") {
        std::cerr << "orvelle sqlite decode: --address-book applies to messages and calls only\n";
        throw CLI::RuntimeError(kExitUsage);
    }
    if ((!options.messageFiles.empty() || !options.contacts.empty()) && options.kind != "wechat") {
        std::cerr << "orvelle sqlite decode: --message-file and --contacts apply to wechat only\n";
        throw CLI::RuntimeError(kExitUsage);
    }
    if (options.kind == "messages")
        runMessages(options);
    else if (options.kind == "contacts")
        runContacts(options);
    else if (options.kind == "notes")
        runNotes(options);
    else if (options.kind == "calls")
        runCalls(options);
    else if (options.kind == "calendar")
        runCalendar(options);
    else if (options.kind == "reminder")
        runReminders(options);
    else if (options.kind == "bookmarks")
        runBookmarks(options);
    else if (options.kind == "qq")
        runQq(options);
    else if (options.kind == "wechat")
        runWeChat(options);
    else
        runWhatsApp(options);
    if (g_partlyRead) throw CLI::RuntimeError(kExitUnreadableCategory);
}

void setup(CLI::App& app) {
    CLI::App* sqlite =
        subcommandGroup(app, "sqlite", "Read SQLite database files page by page, deleted rows included");
    CLI::App* decode = sqlite->add_subcommand(
        "decode",
        "Decode the messages, contacts, notes, calls, WhatsApp, QQ or WeChat chats, calendar events, "
        "reminders or Safari bookmarks of a loose database file");
    auto options = std::make_shared<DecodeOptions>();
    std::string kinds;
    for (const auto& [kind, file] : kKinds)
        kinds += "\n  " + kind + ": " + file;
    decode->add_option("KIND", options->kind, "What the database holds:" + kinds)
        ->required()
        ->check(CLI::IsMember({"messages", "contacts", "notes", "calls", "whatsapp", "calendar", "reminder",
                               "bookmarks", "qq", "wechat"}));
    decode->add_option("DB", options->database, "The database file (it is only read)")->required();
    decode->add_option("--address-book", options->addressBook,
                       "AddressBook.sqlitedb for contact names (messages and calls)");
    decode->add_option("--message-file", options->messageFiles,
                       "wechat: a message_N.sqlite of the same account (repeat for each); its chats join "
                       "those of MM.sqlite");
    decode->add_option(
        "--contacts", options->contacts,
        "wechat: the account's WCDB_Contact.sqlite, for the friends newer app versions keep there");
    decode->add_flag(
        "--json", options->json,
        "JSON: one object per record; messages and WhatsApp grouped as "
        "[{\"key\":K,\"messages\":[...]}], QQ and WeChat as [{\"partner\":P,\"messages\":[...]}]");
    decode->add_flag("--no-wal", options->noLog, kNoLogHelp);
    decode->callback([options] { run(*options); });
}

const CommandRegistrar registrar(40, setup);

} // namespace

} // namespace orvelle::cli
