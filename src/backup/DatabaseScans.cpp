#include "backup/DatabaseScans.h"

#include "backup/BackupStore.h"
#include "backup/KnownFileIds.h"
#include "platform/File.h"
#include "sqlite_records/decoders/BookmarksDecoder.h"
#include "sqlite_records/decoders/CalendarDecoder.h"
#include "sqlite_records/decoders/CallsDecoder.h"
#include "sqlite_records/decoders/ContactsDecoder.h"
#include "sqlite_records/decoders/MessagesDecoder.h"
#include "sqlite_records/decoders/NoteStoreDecoder.h"
#include "sqlite_records/decoders/NotesDecoder.h"
#include "sqlite_records/decoders/QqDecoder.h"
#include "sqlite_records/decoders/RemindersDecoder.h"
#include "sqlite_records/decoders/WeChatDecoder.h"
#include "sqlite_records/decoders/WhatsAppDecoder.h"

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace orvelle {

namespace {

/// The logs of the backup's databases, which the manifest lists beside them.
std::function<LogOptions(const std::filesystem::path&)> backupLogs(const BackupStore& store) {
    return [&store](const std::filesystem::path& database) {
        LogOptions log;
        log.path = store.writeAheadLogPath(database);
        log.read = !log.path.empty();
        return log;
    };
}

/// A context that names only the backup's logs.
DecodeContext logContext(const BackupStore& store) {
    DecodeContext context;
    context.logFor = backupLogs(store);
    return context;
}

/// Wires a decoder's percent reports to the store's progress and remembers
/// whether the callback asked for a stop.
class DecoderProgress {
public:
    explicit DecoderProgress(BackupStore& store) : m_store(store) {}

    DecodeContext context() {
        DecodeContext context;
        context.newAddressBookLayout = m_store.currentBackup().majorVersionAbove11;
        context.logFor = backupLogs(m_store);
        context.progress = [this](int percent) {
            const ScanProgress& progress = m_store.progress();
            const std::int64_t half = progress.step() / 2;
            const int clamped = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
            const int answer =
                progress.report(static_cast<std::int32_t>(progress.progress() + half * clamped / 100));
            if (answer != 0) m_stopAnswer = answer;
            return answer;
        };
        return context;
    }

    /// The operation's result: the decoder's status, except that the stop
    /// value is kept only when the callback gave it.
    Status finish(Status decoderStatus) {
        ScanProgress& progress = m_store.progress();
        progress.advance(progress.step() / 2); // answer not checked
        if (m_stopAnswer != 0) return m_stopAnswer;
        if (decoderStatus == kStatusStopped) return kStatusFileMissing;
        return decoderStatus;
    }

private:
    BackupStore& m_store;
    int m_stopAnswer = 0;
};

std::int64_t markOf(std::uint64_t rowId) {
    return rowId > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(rowId);
}

/// The notes of both notes databases, the older file's first. A missing file
/// is no problem while the other exists.
Status decodeBothNoteDatabases(BackupStore& store, std::vector<NoteRecord>& notes) {
    std::vector<NoteRecord> newer;
    const DecodeContext context = logContext(store);
    const Status olderStatus = decodeNotes(store.storedFilePath(kNotesFileId), notes, context);
    const Status newerStatus = decodeNoteStore(store.storedFilePath(kNoteStoreFileId), newer, context);
    notes.insert(notes.end(), std::make_move_iterator(newer.begin()), std::make_move_iterator(newer.end()));
    if (olderStatus == kStatusFileMissing) return newerStatus;
    if (newerStatus == kStatusFileMissing) return olderStatus;
    return firstProblem({olderStatus, newerStatus});
}

/// Runs `decodeOne(i, context)` for each of `count` databases, each with an
/// equal share of the decoder's progress. kStatusFileMissing when `count` is
/// 0 or every database was missing; else the first other problem, or 0.
Status decodeInTurn(BackupStore& store, std::size_t count,
                    const std::function<Status(std::size_t, const DecodeContext&)>& decodeOne) {
    DecoderProgress progress(store);
    const DecodeContext outer = progress.context();
    bool stopped = false;
    Status status = kStatusFileMissing;
    for (std::size_t i = 0; i < count && !stopped; ++i) {
        const int from = static_cast<int>(100 * i / count);
        const int width = static_cast<int>(100 * (i + 1) / count) - from;
        DecodeContext context = outer;
        context.progress = [&outer, &stopped, from, width](int percent) {
            const int answer = reportProgress(outer, from + width * percent / 100);
            stopped = stopped || answer != 0;
            return answer;
        };
        const Status fileStatus = decodeOne(i, context);
        if (stopped || fileStatus == kStatusFileMissing) continue;
        if (fileStatus != kStatusOk || status == kStatusFileMissing) status = fileStatus;
    }
    return progress.finish(status);
}

/// The number N of a file name "message_N.sqlite", or 0 when `name` is no such name.
std::uint32_t messageFileNumber(std::string_view name) {
    constexpr std::string_view kSuffix = ".sqlite";
    if (!name.starts_with(kWeChatMessageFilePrefix) || !name.ends_with(kSuffix)) return 0;
    name = name.substr(kWeChatMessageFilePrefix.size(), name.size() - kWeChatMessageFilePrefix.size() - kSuffix.size());
    if (name.empty() || name.size() > 6 || name.find_first_not_of("0123456789") != std::string_view::npos) return 0;
    return static_cast<std::uint32_t>(std::stoul(std::string(name)));
}

} // namespace

Status scanMessageDatabase(BackupStore& store, ConversationMap& chats) {
    DecoderProgress progress(store);
    std::uint64_t maxRowId = 0;
    const Status status =
        decodeMessages(store.storedFilePath(kMessagesFileId), store.storedFilePath(kAddressBookFileId),
                       progress.context(), chats, maxRowId);
    if (status == kStatusOk && maxRowId > 0) store.setLargestMessageRowId(markOf(maxRowId));
    return progress.finish(status);
}

Status scanContactDatabase(BackupStore& store, std::vector<ContactRecord>& contacts) {
    DecoderProgress progress(store);
    std::uint64_t maxRowId = 0;
    contacts.clear();
    const Status status =
        decodeContacts(store.storedFilePath(kAddressBookFileId), progress.context(), contacts, maxRowId);
    if (status == kStatusOk && maxRowId > 0) store.setLargestAddressBookRowId(markOf(maxRowId));
    return progress.finish(status);
}

Status scanCallDatabase(BackupStore& store, std::vector<CallRecord>& calls) {
    DecoderProgress progress(store);
    std::filesystem::path callDb = store.storedFilePath(kCallHistoryFileId);
    if (!platform::pathExists(callDb)) callDb = store.storedFilePath(kOlderCallHistoryFileId);
    const Status status =
        decodeCalls(callDb, store.storedFilePath(kAddressBookFileId), progress.context(), calls);
    return progress.finish(status);
}

Status scanNoteDatabase(BackupStore& store, std::vector<NoteRecord>& notes) {
    DecoderProgress progress(store);
    const Status status = decodeBothNoteDatabases(store, notes);
    return progress.finish(status);
}

Status scanCalendarDatabase(BackupStore& store, std::vector<CalendarEventRecord>& events) {
    DecoderProgress progress(store);
    CalendarItems items;
    const Status status = decodeCalendar(store.storedFilePath(kCalendarFileId), progress.context(), items);
    events = std::move(items.events);
    return progress.finish(status);
}

Status scanReminderDatabases(BackupStore& store, std::vector<ReminderRecord>& reminders) {
    reminders.clear();
    std::vector<std::filesystem::path> files;
    if (const auto calendarDb = store.storedFilePath(kCalendarFileId); platform::pathExists(calendarDb))
        files.push_back(calendarDb);
    const std::size_t calendarFiles = files.size();
    for (const ManifestEntry& entry : store.manifest()) {
        const std::string_view path = entry.domainPath;
        if (path.size() > kReminderStorePrefix.size() + kReminderStoreSuffix.size() &&
            path.starts_with(kReminderStorePrefix) && path.ends_with(kReminderStoreSuffix))
            files.push_back(store.storedFilePath(entry.fileId));
    }
    return decodeInTurn(store, files.size(), [&](std::size_t i, const DecodeContext& context) {
        if (i >= calendarFiles) return decodeReminderStore(files[i], context, reminders);
        CalendarItems items;
        const Status status = decodeCalendar(files[i], context, items);
        for (auto& reminder : items.reminders)
            reminders.push_back(std::move(reminder));
        return status;
    });
}

Status scanBookmarkDatabase(BackupStore& store, std::vector<BookmarkRecord>& bookmarks) {
    DecoderProgress progress(store);
    const Status status = decodeBookmarks(store.storedFilePath(kBookmarksFileId), progress.context(), bookmarks);
    return progress.finish(status);
}

Status scanWhatsAppDatabase(BackupStore& store, WhatsAppChatMap& chats) {
    chats.clear();
    std::filesystem::path chatDb;
    std::filesystem::path contactsDb; // located, not read
    int matches = 0;
    for (const ManifestEntry& entry : store.manifest()) {
        const bool isChats = entry.domainPath.find(kWhatsAppChatDatabaseName) != std::string::npos;
        const bool isContacts = entry.domainPath.find(kWhatsAppContactsDatabaseName) != std::string::npos;
        if (isChats)
            chatDb = store.storedFilePath(entry.fileId);
        else if (isContacts)
            contactsDb = store.storedFilePath(entry.fileId);
        if ((isChats || isContacts) && ++matches == 2) break;
    }
    Status status = decodeWhatsApp(chatDb, chats, logContext(store));
    if (status == kStatusStopped) status = kStatusFileMissing; // only the callback may answer a stop
    // The report's answer wins only when it asks for a stop: otherwise the
    // decoder's status tells whether the chats could be read.
    const Status answer = store.progress().advance(store.progress().step());
    return answer != kStatusOk ? answer : status;
}

Status scanQqDatabases(BackupStore& store, AccountChatMap& chats) {
    chats.clear();
    std::vector<std::pair<std::string, std::filesystem::path>> accounts;
    for (const ManifestEntry& entry : store.manifest()) {
        const std::string_view path = entry.domainPath;
        if (!path.ends_with(kQqDatabaseEnd)) continue;
        const std::string_view folder = path.substr(0, path.size() - kQqDatabaseEnd.size());
        const auto slash = folder.find_last_of("/-");
        accounts.emplace_back(
            std::string(slash == std::string_view::npos ? folder : folder.substr(slash + 1)),
            store.storedFilePath(entry.fileId));
    }
    return decodeInTurn(store, accounts.size(), [&](std::size_t i, const DecodeContext& context) {
        PartnerChatMap partners;
        const Status status = decodeQQ(accounts[i].second, partners, context);
        PartnerChatMap& account = chats[accounts[i].first];
        // Two files in folders of one name (other app domains) make one account.
        for (auto& [partner, messages] : partners) {
            std::vector<MessageRecord>& chat = account[partner];
            chat.insert(chat.end(), std::make_move_iterator(messages.begin()),
                        std::make_move_iterator(messages.end()));
        }
        return status;
    });
}

Status scanWeChatDatabases(BackupStore& store, AccountChatMap& chats) {
    chats.clear();
    // The accounts in the order of their MM.sqlite, by folder (with its last "/").
    std::vector<WeChatDatabases> accounts;
    std::map<std::string_view, std::size_t> accountOfFolder;
    const ManifestList& manifest = store.manifest();
    for (const ManifestEntry& entry : manifest) {
        const std::string_view path = entry.domainPath;
        if (!path.ends_with(kWeChatDatabaseEnd)) continue;
        const std::string_view folder = path.substr(0, path.size() - kWeChatDatabaseEnd.size() + 1);
        if (!accountOfFolder.emplace(folder, accounts.size()).second) continue;
        accounts.emplace_back().mm = store.storedFilePath(entry.fileId);
    }
    // Then the files beside each MM.sqlite, message files in number order.
    std::vector<std::map<std::uint32_t, std::filesystem::path>> messageFiles(accounts.size());
    for (const ManifestEntry& entry : manifest) {
        const std::string_view path = entry.domainPath;
        const auto slash = path.rfind('/');
        if (slash == std::string_view::npos) continue;
        const auto account = accountOfFolder.find(path.substr(0, slash + 1));
        if (account == accountOfFolder.end()) continue;
        const std::string_view name = path.substr(slash + 1);
        if (const std::uint32_t number = messageFileNumber(name); number != 0)
            messageFiles[account->second].emplace(number, store.storedFilePath(entry.fileId));
        else if (name == kWeChatContactFileName)
            accounts[account->second].contacts = store.storedFilePath(entry.fileId);
    }
    for (std::size_t i = 0; i < accounts.size(); ++i)
        for (auto& [number, file] : messageFiles[i])
            accounts[i].messageFiles.push_back(std::move(file));
    return decodeInTurn(store, accounts.size(), [&](std::size_t i, const DecodeContext& context) {
        return decodeWeChat(accounts[i], chats["User" + std::to_string(i + 1)], context);
    });
}

Status exportMessageDatabase(BackupStore& store, const std::filesystem::path& output) {
    std::uint64_t mark = static_cast<std::uint64_t>(std::max<std::int64_t>(store.largestMessageRowId(), 0));
    const Status status = exportMessageRows(store.storedFilePath(kMessagesFileId), output, mark, logContext(store));
    store.setLargestMessageRowId(markOf(mark));
    return status;
}

Status exportContactDatabase(BackupStore& store, const std::filesystem::path& output) {
    std::uint64_t mark =
        static_cast<std::uint64_t>(std::max<std::int64_t>(store.largestAddressBookRowId(), 0));
    const Status status = exportContacts(store.storedFilePath(kAddressBookFileId), output, mark, logContext(store));
    store.setLargestAddressBookRowId(markOf(mark));
    return status;
}

} // namespace orvelle
