// orvelle scan BACKUP [--categories LIST] [--password-stdin] [--json]: scans
// one backup for the chosen categories (all by default), live and deleted
// items, and prints a table of counts or one JSON document with the items.
// Ctrl+C asks the scan to stop (what was found so far is shown); a second
// Ctrl+C quits at once.

#include "cli/BackupOpening.h"
#include "cli/Command.h"
#include "cli/CommandScan.h"
#include "cli/Json.h"
#include "cli/RecordJson.h"
#include "cli/TextTable.h"
#include "core/Categories.h"
#include "scan/ScanRun.h"

#include <iostream>
#include <memory>
#include <set>
#include <sstream>

namespace orvelle::cli {

namespace {

struct ScanOptions {
    BackupArguments backup;
    std::string categories;
    bool json = false;
};

/// The categories to show, in the order named (every category when none is
/// named). The names were checked by parseCategoryList.
std::vector<CategoryInfo> shownCategories(const std::string& list) {
    if (list.empty()) return {kCategories.begin(), kCategories.end()};
    std::vector<CategoryInfo> shown;
    std::set<std::string> seen;
    std::stringstream in(list);
    for (std::string name; std::getline(in, name, ',');)
        if (const auto category = categoryByCliName(name); category && seen.insert(name).second)
            shown.push_back(*category);
    return shown;
}

template <typename Record> std::uint64_t deletedIn(const std::vector<Record>& records) {
    std::uint64_t deleted = 0;
    for (const Record& r : records)
        deleted += r.deleted ? 1 : 0;
    return deleted;
}

template <typename Map> std::uint64_t deletedInChats(const Map& chats) {
    std::uint64_t deleted = 0;
    for (const auto& [key, messages] : chats)
        deleted += deletedIn(messages);
    return deleted;
}

template <typename Map> std::uint64_t recordsInChats(const Map& chats) {
    std::uint64_t count = 0;
    for (const auto& [key, messages] : chats)
        count += messages.size();
    return count;
}

std::uint64_t filesIn(const AppFileMap& apps) {
    std::uint64_t count = 0;
    for (const auto& [app, files] : apps)
        count += files.size();
    return count;
}

/// Counts of one category as the table and the JSON show them.
struct CategoryFigures {
    std::uint64_t count = 0;   ///< items (chats for Messages and WhatsApp)
    std::uint64_t records = 0; ///< records (messages for the chat categories)
    std::uint64_t deleted = 0; ///< deleted records
};

CategoryFigures figuresOf(ItemKind kind, const ScanRun& run) {
    const ScanResults& r = run.results();
    CategoryFigures f;
    auto list = [&f](const auto& records) { f.count = f.records = records.size(); };
    switch (kind) {
    case ItemKind::CameraRoll:
        list(r.cameraRoll);
        break;
    case ItemKind::PhotoStream:
        list(r.photoStream);
        break;
    case ItemKind::AppPhotos:
        f.count = f.records = filesIn(r.appPhotos);
        break;
    case ItemKind::AppVideos:
        f.count = f.records = filesIn(r.appVideos);
        break;
    case ItemKind::Messages:
        f.count = r.messageSummaries.size();
        f.records = recordsInChats(r.messageChats);
        f.deleted = deletedInChats(r.messageChats);
        break;
    case ItemKind::MessageAttachments:
        list(r.messageAttachments);
        break;
    case ItemKind::Contacts:
        list(r.contacts);
        f.deleted = deletedIn(r.contacts);
        break;
    case ItemKind::CallHistory:
        list(r.calls);
        f.deleted = deletedIn(r.calls);
        break;
    case ItemKind::Notes:
        list(r.notes);
        f.deleted = deletedIn(r.notes);
        break;
    case ItemKind::WhatsApp:
        f.count = r.whatsAppSummaries.size();
        f.records = recordsInChats(r.whatsAppChats);
        f.deleted = deletedInChats(r.whatsAppChats);
        break;
    case ItemKind::WhatsAppAttachments:
        list(r.whatsAppAttachments);
        break;
    case ItemKind::Reminder:
        list(r.reminders);
        f.deleted = deletedIn(r.reminders);
        break;
    case ItemKind::Calendar:
        list(r.events);
        f.deleted = deletedIn(r.events);
        break;
    case ItemKind::SafariBookmark:
        list(r.bookmarks);
        f.deleted = deletedIn(r.bookmarks);
        break;
    case ItemKind::QQ:
    case ItemKind::WeChat:
        f.count = r.messengerSummaries(kind).size();
        for (const auto& [account, partners] : r.messengerChats(kind)) {
            f.records += recordsInChats(partners);
            f.deleted += deletedInChats(partners);
        }
        break;
    case ItemKind::None:
        break;
    }
    return f;
}

void writeAppFiles(JsonWriter& json, const AppFileMap& apps) {
    json.beginArray();
    for (const auto& [app, files] : apps)
        for (const auto& file : files)
            writeRecord(json, file);
    json.endArray();
}

/// The rest of a conversation's object: "summary" (null when there is none), "messages"; closes the object.
template <typename Summary, typename Message>
void writeConversation(JsonWriter& json, const Summary* summary, const std::vector<Message>& messages) {
    json.key("summary");
    if (summary)
        writeRecord(json, *summary);
    else
        json.null();
    json.key("messages");
    writeRecords(json, messages);
    json.endObject();
}

/// One entry per conversation: {"key", "summary", "messages"}.
template <typename Map, typename Summary, typename KeyOf>
void writeChats(JsonWriter& json, const Map& chats, const std::vector<Summary>& summaries, KeyOf keyOf) {
    std::map<std::int32_t, const Summary*> byKey;
    for (const Summary& s : summaries)
        byKey.emplace(keyOf(s), &s);
    json.beginArray();
    for (const auto& [key, messages] : chats) {
        if (messages.empty()) continue;
        json.beginObject().field("key", key);
        const auto found = byKey.find(key);
        writeConversation(json, found != byKey.end() ? found->second : nullptr, messages);
    }
    json.endArray();
}

/// One entry per conversation of every account: {"account", "partner", "summary", "messages"}.
void writeMessengerChats(JsonWriter& json, const AccountChatMap& chats,
                         const std::vector<MessengerChatSummary>& summaries) {
    std::map<std::pair<std::string_view, std::string_view>, const MessengerChatSummary*> byKey;
    for (const MessengerChatSummary& s : summaries)
        byKey.emplace(std::pair<std::string_view, std::string_view>(s.account, s.partner), &s);
    json.beginArray();
    for (const auto& [account, partners] : chats)
        for (const auto& [partner, messages] : partners) {
            if (messages.empty()) continue;
            json.beginObject().field("account", account).field("partner", partner);
            const auto found = byKey.find({account, partner});
            writeConversation(json, found != byKey.end() ? &found->second->last : nullptr, messages);
        }
    json.endArray();
}

void writeItems(JsonWriter& json, ItemKind kind, const ScanResults& r) {
    switch (kind) {
    case ItemKind::CameraRoll:
        return writeRecords(json, r.cameraRoll);
    case ItemKind::PhotoStream:
        return writeRecords(json, r.photoStream);
    case ItemKind::AppPhotos:
        return writeAppFiles(json, r.appPhotos);
    case ItemKind::AppVideos:
        return writeAppFiles(json, r.appVideos);
    case ItemKind::Messages:
        return writeChats(json, r.messageChats, r.messageSummaries,
                          [](const MessageRecord& m) { return m.handleId; });
    case ItemKind::MessageAttachments:
        return writeRecords(json, r.messageAttachments);
    case ItemKind::Contacts:
        return writeRecords(json, r.contacts);
    case ItemKind::CallHistory:
        return writeRecords(json, r.calls);
    case ItemKind::Notes:
        return writeRecords(json, r.notes);
    case ItemKind::WhatsApp:
        return writeChats(json, r.whatsAppChats, r.whatsAppSummaries,
                          [](const WhatsAppMessageRecord& m) { return m.chatKey; });
    case ItemKind::WhatsAppAttachments:
        return writeRecords(json, r.whatsAppAttachments);
    case ItemKind::Reminder:
        return writeRecords(json, r.reminders);
    case ItemKind::Calendar:
        return writeRecords(json, r.events);
    case ItemKind::SafariBookmark:
        return writeRecords(json, r.bookmarks);
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return writeMessengerChats(json, r.messengerChats(kind), r.messengerSummaries(kind));
    case ItemKind::None:
        json.beginArray().endArray();
        return;
    }
}

void printJson(const ScanRun& run, const std::vector<CategoryInfo>& shown, bool stopped) {
    JsonWriter json(std::cout);
    json.beginObject()
        .field("status", run.openResult())
        .field("stopped", stopped)
        .key("categories")
        .beginObject();
    for (const CategoryInfo& category : shown) {
        const CategoryFigures f = figuresOf(category.kind, run);
        const CategoryOutcome outcome = run.outcome(category.kind);
        json.key(category.cliName).beginObject().field("status", stateName(outcome.state));
        if (!outcome.reason.empty()) json.field("reason", outcome.reason);
        json.field("count", f.count).field("deleted", f.deleted);
        json.key("items");
        writeItems(json, category.kind, run.results());
        json.endObject();
    }
    json.endObject().endObject();
    std::cout << '\n';
}

void printTable(const ScanRun& run, const std::vector<CategoryInfo>& shown) {
    TextTable table(
        {"Category", "Items", "Deleted", "Records", "Status"},
        {TextTable::Align::Left, TextTable::Align::Right, TextTable::Align::Right, TextTable::Align::Right,
         TextTable::Align::Left});
    for (const CategoryInfo& category : shown) {
        const CategoryFigures f = figuresOf(category.kind, run);
        table.addRow({std::string(category.treeLabel), std::to_string(f.count), std::to_string(f.deleted),
                      std::to_string(f.records), std::string(stateName(run.outcome(category.kind).state))});
    }
    table.print(std::cout);
}

void run(const ScanOptions& options) {
    const std::set<ItemKind> kinds = parseCategoryList("scan", options.categories);
    const std::vector<CategoryInfo> shown = shownCategories(options.categories);
    const ScanRequest request = scanRequestFor("scan", options.backup, kinds);
    CommandScan commandScan("scan");
    commandScan.run(request);
    const ScanRun& scan = commandScan.scan();
    const bool stopped = scan.lastResult() == kStatusStopped; // a late Ctrl+C may find the scan done
    if (stopped) std::cerr << "orvelle scan: stopped; the results below are partial\n";
    const int unreadable = commandScan.reportUnreadableCategories(kinds);
    if (options.json)
        printJson(scan, shown, stopped);
    else
        printTable(scan, shown);
    if (unreadable > 0) throw CLI::RuntimeError(kExitUnreadableCategory);
}

void setup(CLI::App& app) {
    CLI::App* command = app.add_subcommand(
        "scan", "Scan a backup: media, messages, contacts, calls, notes, WhatsApp, QQ, WeChat, reminders, "
                "calendar, Safari bookmarks (deleted items included)");
    auto options = std::make_shared<ScanOptions>();
    addBackupArguments(*command, options->backup);
    std::string names;
    for (const auto& c : kCategories)
        names += (names.empty() ? "" : ",") + std::string(c.cliName);
    command->add_option("--categories", options->categories,
                        "Comma list of categories (default: all): " + names);
    command->add_flag("--json", options->json,
                      "One JSON document: {\"status\":S,\"categories\":{NAME:{\"status\":\"found\"|\"missing\"|"
                      "\"unreadable\"|\"stopped\",[\"reason\":TEXT,]\"count\":N,\"deleted\":D,\"items\":[...]}}}");
    command->callback([options] { run(*options); });
}

const CommandRegistrar registrar(30, setup);

} // namespace

} // namespace orvelle::cli
