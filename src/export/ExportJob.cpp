#include "export/ExportJob.h"

#include "export/CallHistoryDocument.h"
#include "export/ChatNames.h"
#include "export/ContactsDocument.h"
#include "export/ListDocuments.h"
#include "export/MessageChatDocuments.h"
#include "export/NotesDocument.h"
#include "export/ReadableCsv.h"
#include "export/SafeFileName.h"
#include "export/StatusText.h"
#include "export/WhatsAppChatDocuments.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/LocalTime.h"
#include "platform/OutputFile.h"
#include "platform/PathText.h"
#include "scan/FileTypes.h"
#include "scan/SelectionTally.h"
#include "scan/ScanResults.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <set>

namespace orvelle {

namespace {

constexpr std::string_view kCameraRollFolder = "Camera Roll";
constexpr std::string_view kPhotoStreamFolder = "Photo Stream";
constexpr std::string_view kAppPhotosFolder = "App Photos";
constexpr std::string_view kAppVideosFolder = "App Video";
constexpr std::string_view kAppAudioFolder = "App Audio";
constexpr std::string_view kMessagesFolder = "Message";
constexpr std::string_view kMessageAttachmentsFolder = "Message Attachments";
constexpr std::string_view kContactsFolder = "Contacts";
constexpr std::string_view kCallHistoryFolder = "CallHistory";
constexpr std::string_view kNotesFolder = "Notes";
constexpr std::string_view kWhatsAppFolder = "WhatsApp Message";
constexpr std::string_view kWhatsAppAttachmentsFolder = "WhatsApp Attachments";
constexpr std::string_view kQqFolder = "QQ Message";
constexpr std::string_view kWeChatFolder = "WeChat Message";
constexpr std::string_view kMessageDumpFile = "sms.csv";
constexpr std::string_view kRemindersFolder = "Reminder";
constexpr std::string_view kCalendarFolder = "Calendar";
constexpr std::string_view kBookmarksFolder = "Safari Bookmark";

constexpr std::string_view kMessagesCsvFile = "Messages.csv";
constexpr std::string_view kWhatsAppCsvFile = "WhatsApp.csv";
constexpr std::string_view kContactsCsvFile = "Contact list.csv";

/// The folder an app file is copied to, by the kind of its content: the
/// name's extension is the one detection gave it from the file's signature.
std::string_view appFolderOf(std::string_view name) {
    const std::string ext = lowerExtension(name);
    if (isVideoExtension(ext)) return kAppVideosFolder;
    if (isAudioExtension(ext)) return kAppAudioFolder;
    return kAppPhotosFolder;
}

/// Attachments are copied before the chats that show them; otherwise
/// categories keep their order.
int walkRank(ItemKind kind) {
    const int rank = 2 * static_cast<int>(kind);
    if (kind == ItemKind::MessageAttachments) return 2 * static_cast<int>(ItemKind::Messages) - 1;
    if (kind == ItemKind::WhatsAppAttachments) return 2 * static_cast<int>(ItemKind::WhatsApp) - 1;
    return rank;
}

std::string_view labelOf(ItemKind kind) {
    for (const CategoryInfo& info : kCategories)
        if (info.kind == kind) return info.treeLabel;
    return {};
}

std::filesystem::path safePath(std::string_view name) {
    return platform::utf8Path(safeFileName(name));
}

std::filesystem::path pathOf(std::string_view name) {
    return platform::utf8Path(name);
}

} // namespace

std::string currentStamp() {
    platform::CalendarTime t;
    if (!platform::breakDownLocal(static_cast<std::int64_t>(std::time(nullptr)), t)) return "00000000000000";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

std::string stampDateText(std::string_view stamp) {
    if (stamp.size() != 14 || stamp.find_first_not_of("0123456789") != std::string_view::npos)
        return std::string(stamp);
    std::string text(stamp.substr(0, 4));
    text += '-';
    text += stamp.substr(4, 2);
    text += '-';
    text += stamp.substr(6, 2);
    text += ' ';
    text += stamp.substr(8, 2);
    text += ':';
    text += stamp.substr(10, 2);
    text += ':';
    text += stamp.substr(12, 2);
    return text;
}

/// Rows of one table document (contacts, calls or notes) gathered during the
/// walk. The file is created at the first row, so that every row can name it.
struct ExportJob::TableDocument {
    TableDocument(ItemKind kind, const HtmlTemplate& html, std::filesystem::path wanted,
                  std::filesystem::path csvWanted, std::string csvHeader)
        : kind(kind), html(html), wanted(std::move(wanted)), csvWanted(std::move(csvWanted)),
          csvHeader(std::move(csvHeader)) {}
    ItemKind kind;
    const HtmlTemplate& html;
    std::filesystem::path wanted;
    std::filesystem::path csvWanted; ///< the readable CSV file beside the document
    std::string csvHeader;
    std::filesystem::path path;
    platform::OutputFile file; ///< held open from the first row until the document is written
    bool created = false;
    Status createStatus = kStatusOk;
    std::string rows;
    std::string csvLines;
};

ExportJob::ExportJob(const ScanResults& results, const SelectionTally& tally, ExportSource& source,
                     const ExportTemplates& templates, ExportSettings settings)
    : m_results(results), m_tally(tally), m_source(source), m_templates(templates),
      m_settings(std::move(settings)) {}

int ExportJob::progressThunk(void* job, int percent, Status status, const std::filesystem::path& path) {
    return static_cast<ExportJob*>(job)->report(percent, status, path);
}

int ExportJob::report(int percent, Status status, const std::filesystem::path& path) {
    if (!m_control.checkpoint()) return kStatusStopped;
    const std::string text = percent == 100 ? statusText(status) : std::string();
    if (percent == 100) {
        m_fileFinishedReported = true;
        ++m_summary.done;
        if (status != kStatusOk) {
            ++m_summary.failed;
            m_summary.failures.push_back({path, status, text});
        }
    }
    if (m_observer) {
        if (percent == 100) m_observer->fileFinished(path, status, text);
        m_observer->exportProgress({percent, path, m_summary.done, m_summary.expected, m_summary.failed});
    }
    return 0;
}

void ExportJob::documentFailed(const std::filesystem::path& file, Status status) {
    const std::string text = statusText(status);
    m_summary.failures.push_back({file, status, text});
    if (m_observer) m_observer->fileFinished(file, status, text);
}

Status ExportJob::makeFolder(const std::filesystem::path& folder) const {
    std::error_code ec;
    if (platform::createFoldersWithin(m_settings.destination, folder, ec)) return kStatusOk;
    return ec ? static_cast<Status>(ec.value()) : kStatusInvalid;
}

ExportSummary ExportJob::run() {
    m_control.begin();
    m_summary = ExportSummary{};
    m_summary.stamp = m_settings.stamp.empty() ? currentStamp() : m_settings.stamp;
    m_summary.expected = m_tally.selectedVisibleCount();
    m_messagesWritten = false;
    m_copyFolder.clear();
    m_copyFolderStatus = kStatusOk;
    m_copies = ExportedFiles{};
    m_index.clear();
    m_messagesCsv.clear();
    m_whatsAppCsv.clear();

    const std::filesystem::path& dest = m_settings.destination;
    const std::string& stamp = m_summary.stamp;
    const std::filesystem::path callsFolder = dest / kCallHistoryFolder;
    const std::filesystem::path notesFolder = dest / kNotesFolder;
    const std::filesystem::path contactsFolder = dest / kContactsFolder / pathOf(stamp);
    TableDocument calls{ItemKind::CallHistory, m_templates.callHistory,
                        callsFolder / pathOf("CallHistory_" + stamp + ".html"),
                        callsFolder / pathOf("CallHistory_" + stamp + ".csv"), callsCsvHeader()};
    TableDocument notes{ItemKind::Notes, m_templates.notes, notesFolder / pathOf("Notes_" + stamp + ".html"),
                        notesFolder / pathOf("Notes_" + stamp + ".csv"), notesCsvHeader()};
    TableDocument contacts{ItemKind::Contacts, m_templates.contacts, contactsFolder / "Contacts.html",
                           contactsFolder / pathOf(kContactsCsvFile), contactsCsvHeader()};
    const std::filesystem::path remindersFolder = dest / kRemindersFolder;
    const std::filesystem::path eventsFolder = dest / kCalendarFolder;
    const std::filesystem::path bookmarksFolder = dest / kBookmarksFolder;
    TableDocument reminders{ItemKind::Reminder, m_templates.reminders,
                            remindersFolder / pathOf("Reminders_" + stamp + ".html"),
                            remindersFolder / pathOf("Reminders_" + stamp + ".csv"), std::string(kReminderCsvHeader)};
    TableDocument events{ItemKind::Calendar, m_templates.calendar, eventsFolder / pathOf("Calendar_" + stamp + ".html"),
                         eventsFolder / pathOf("Calendar_" + stamp + ".csv"), std::string(kCalendarCsvHeader)};
    TableDocument bookmarks{ItemKind::SafariBookmark, m_templates.bookmarks,
                            bookmarksFolder / pathOf("Bookmarks_" + stamp + ".html"),
                            bookmarksFolder / pathOf("Bookmarks_" + stamp + ".csv"), std::string(kBookmarkCsvHeader)};

    std::vector<ItemKind> kinds;
    std::set<ItemKind> leftOut; // every item unticked: the user left the category out of the export
    for (const TallyNode* node : m_tally.root().children) {
        // The chat apps nobody chose are named only when the backup holds their chats.
        if (isMessengerKind(node->kind) && node->total == 0) continue;
        kinds.push_back(node->kind);
        if (node->total > 0 && node->selected == 0) leftOut.insert(node->kind);
    }
    std::stable_sort(kinds.begin(), kinds.end(),
                     [](ItemKind a, ItemKind b) { return walkRank(a) < walkRank(b); });
    for (const ItemKind kind : kinds) {
        if (stopping()) break;
        if (kind != ItemKind::None && leftOut.count(kind) == 0) indexOf(kind);
        switch (kind) {
        case ItemKind::Contacts:
            for (const ContactRecord& r : m_results.contacts)
                if (!stopping() && m_tally.isTickedAndVisible(&r))
                    addRecord(contacts, r, contactRow(r), contactCsvLine(r));
            break;
        case ItemKind::CallHistory:
            for (const CallRecord& r : m_results.calls)
                if (!stopping() && m_tally.isTickedAndVisible(&r))
                    addRecord(calls, r, callHistoryRow(r), callCsvLine(r));
            break;
        case ItemKind::Notes:
            for (const NoteRecord& r : m_results.notes)
                if (!stopping() && m_tally.isTickedAndVisible(&r))
                    addRecord(notes, r, noteRow(r), noteCsvLine(r));
            break;
        case ItemKind::Reminder:
            addListRows(reminders, m_results.reminders, reminderRow, reminderCsvLine);
            break;
        case ItemKind::Calendar:
            addListRows(events, m_results.events, calendarRow, calendarCsvLine);
            break;
        case ItemKind::SafariBookmark:
            addListRows(bookmarks, m_results.bookmarks, bookmarkRow, bookmarkCsvLine);
            break;
        default:
            exportCategory(kind);
            break;
        }
    }

    // The documents gathered so far are written even after a stop.
    if (m_messagesWritten) {
        writeReadableCsv(dest / kMessagesFolder / kMessagesCsvFile, ItemKind::Messages, m_messagesCsv,
                         messagesCsvHeader());
        const std::filesystem::path dump = dest / kMessagesFolder / kMessageDumpFile;
        writeDump(dump, true);
        addLink(ItemKind::Messages, "Message rows (sms.csv)", dump);
    }
    if (!m_whatsAppCsv.empty())
        writeReadableCsv(dest / kWhatsAppFolder / kWhatsAppCsvFile, ItemKind::WhatsApp, m_whatsAppCsv,
                         whatsAppCsvHeader());
    writeDocument(calls);
    writeDocument(notes);
    if (!contacts.rows.empty()) {
        const std::filesystem::path dump = contactsFolder / "Contacts.csv";
        writeDump(dump, false);
        addLink(ItemKind::Contacts, "Address book rows (Contacts.csv)", dump);
    }
    writeDocument(contacts);
    writeDocument(reminders);
    writeDocument(events);
    writeDocument(bookmarks);
    writeIndex();

    m_summary.stopped = stopping();
    m_control.end();
    return m_summary;
}

void ExportJob::exportCategory(ItemKind kind) {
    switch (kind) {
    case ItemKind::CameraRoll:
        copyList(m_results.cameraRoll, kind, kCameraRollFolder);
        break;
    case ItemKind::PhotoStream:
        copyList(m_results.photoStream, kind, kPhotoStreamFolder);
        break;
    case ItemKind::AppPhotos:
        copyApps(m_results.appPhotos, kind);
        break;
    case ItemKind::AppVideos:
        copyApps(m_results.appVideos, kind);
        break;
    case ItemKind::MessageAttachments:
        copyList(m_results.messageAttachments, kind, kMessageAttachmentsFolder);
        break;
    case ItemKind::WhatsAppAttachments:
        copyList(m_results.whatsAppAttachments, kind, kWhatsAppAttachmentsFolder);
        break;
    case ItemKind::Messages:
        for (const MessageRecord& summary : m_results.messageSummaries)
            if (!stopping() && m_tally.isTickedAndVisible(&summary)) exportMessageChat(summary);
        break;
    case ItemKind::WhatsApp:
        for (const WhatsAppMessageRecord& summary : m_results.whatsAppSummaries)
            if (!stopping() && m_tally.isTickedAndVisible(&summary)) exportWhatsAppChat(summary);
        break;
    case ItemKind::QQ:
    case ItemKind::WeChat:
        for (const MessengerChatSummary& summary : m_results.messengerSummaries(kind))
            if (!stopping() && m_tally.isTickedAndVisible(&summary)) exportMessengerChat(kind, summary);
        break;
    default:
        break;
    }
}

template <typename Record>
void ExportJob::copyList(const std::vector<Record>& list, ItemKind kind, std::string_view folder) {
    const std::filesystem::path target = m_settings.destination / folder;
    for (const Record& r : list)
        if (!stopping() && m_tally.isTickedAndVisible(&r)) copyOut(kind, r.storedPath, target, r.name);
}

void ExportJob::copyApps(const AppFileMap& apps, ItemKind kind) {
    for (const auto& [appName, files] : apps) {
        const std::filesystem::path app = safePath(appName);
        for (const AppFileRecord& r : files)
            if (!stopping() && m_tally.isTickedAndVisible(&r))
                copyOut(kind, r.storedPath, m_settings.destination / appFolderOf(r.name) / app, r.name);
    }
}

void ExportJob::copyOut(ItemKind kind, const std::string& storedPath, const std::filesystem::path& folder,
                        const std::string& name) {
    if (folder != m_copyFolder) {
        m_copyFolderStatus = makeFolder(folder);
        m_copyFolder = folder;
    }
    std::filesystem::path target = folder / safePath(name);
    if (m_copyFolderStatus != kStatusOk) {
        report(100, m_copyFolderStatus, target);
        return;
    }
    platform::OutputFile file;
    Status status = createUniqueFile(folder / safePath(name), target, file);
    if (status != kStatusOk) {
        report(100, status, target);
        return;
    }
    m_fileFinishedReported = false;
    status = m_source.copyFile(platform::utf8Path(storedPath), file, target, &ExportJob::progressThunk, this);
    if (status == kStatusOk) {
        // An empty file is copied without a report; it still counts as done.
        if (!m_fileFinishedReported) report(100, kStatusOk, target);
        m_copies.add(kind, storedPath, name, target);
        IndexCategory& index = indexOf(kind);
        ++index.items;
        const std::filesystem::path top =
            m_settings.destination / *folder.lexically_relative(m_settings.destination).begin();
        if (std::none_of(index.links.begin(), index.links.end(),
                         [&](const IndexLink& link) { return link.target == top; }))
            addLink(kind, platform::pathText(top.filename()) + "/", top);
        return;
    }
    // A partial copy is of no use to anyone: remove the file this export
    // created, closed first (Windows does not delete a file still open).
    std::error_code ignored;
    file.close(ignored);
    platform::removeFile(target);
    if (!m_fileFinishedReported && status != kStatusStopped) report(100, status, target);
}

void ExportJob::exportMessageChat(const MessageRecord& summary) {
    const std::filesystem::path folder =
        m_settings.destination / kMessagesFolder /
        pathOf(safeFileName(messageChatName(summary)) + "-" + m_summary.stamp);
    if (const Status status = makeFolder(folder); status != kStatusOk) {
        documentFailed(folder, status);
        return;
    }
    const std::string file = safeFileName(messageChatFileName(summary));
    static const std::vector<MessageRecord> kNoMessages;
    const auto it = m_results.messageChats.find(summary.handleId);
    const auto& messages = it != m_results.messageChats.end() ? it->second : kNoMessages;
    writeChatText(folder / pathOf(file + ".txt"), messageTextLines(messages));
    std::filesystem::path page;
    writeMessageChatHtml(folder / pathOf(file + ".html"), m_templates.sms, summary, messages, sink(), &m_copies,
                         &page);
    m_messagesWritten = true;
    const std::string chat = messageChatFileName(summary);
    addLink(ItemKind::Messages, chat, page);
    for (const MessageRecord& m : messages) {
        countRecord(ItemKind::Messages, m.deleted);
        m_messagesCsv += messageCsvLine(chat, m);
    }
}

void ExportJob::exportMessengerChat(ItemKind kind, const MessengerChatSummary& summary) {
    const std::string name = safeFileName(messengerChatName(summary));
    const std::filesystem::path folder = m_settings.destination /
                                         (kind == ItemKind::QQ ? kQqFolder : kWeChatFolder) /
                                         safePath(summary.account) / pathOf(name + "-" + m_summary.stamp);
    if (const Status status = makeFolder(folder); status != kStatusOk) {
        documentFailed(folder, status);
        return;
    }
    static const std::vector<MessageRecord> kNoMessages;
    const AccountChatMap& chats = m_results.messengerChats(kind);
    const std::vector<MessageRecord>* messages = &kNoMessages;
    if (const auto account = chats.find(summary.account); account != chats.end())
        if (const auto partner = account->second.find(summary.partner); partner != account->second.end())
            messages = &partner->second;
    writeChatText(folder / pathOf(name + ".txt"), messageTextLines(*messages));
    std::filesystem::path page;
    writeMessageChatHtml(folder / pathOf(name + ".html"), m_templates.sms, summary.last, *messages, sink(),
                         nullptr, &page);
    addLink(kind, summary.account + ": " + messengerChatName(summary), page);
    for (const MessageRecord& m : *messages)
        countRecord(kind, m.deleted);
}

void ExportJob::exportWhatsAppChat(const WhatsAppMessageRecord& summary) {
    const std::string name = safeFileName(whatsAppChatName(summary));
    const std::filesystem::path folder =
        m_settings.destination / kWhatsAppFolder / pathOf(name + "-" + m_summary.stamp);
    if (const Status status = makeFolder(folder); status != kStatusOk) {
        documentFailed(folder, status);
        return;
    }
    static const std::vector<WhatsAppMessageRecord> kNoMessages;
    const auto it = m_results.whatsAppChats.find(summary.chatKey);
    const auto& messages = it != m_results.whatsAppChats.end() ? it->second : kNoMessages;
    writeChatText(folder / pathOf(name + ".txt"), whatsAppTextLines(messages));
    writeNewDocument(folder / pathOf(name + ".csv"), whatsAppChatCsv(messages));
    std::filesystem::path page;
    writeWhatsAppChatHtml(folder / pathOf(name + ".html"), m_templates.whatsApp, summary, messages, sink(),
                          &m_copies, &page);
    const std::string chat = whatsAppChatName(summary);
    addLink(ItemKind::WhatsApp, chat, page);
    for (const WhatsAppMessageRecord& m : messages) {
        countRecord(ItemKind::WhatsApp, m.deleted);
        m_whatsAppCsv += whatsAppCsvLine(chat, m);
    }
}

template <typename Record>
void ExportJob::addRecord(TableDocument& document, const Record& record, std::string row, std::string csvLine) {
    if (!document.created) {
        document.created = true;
        document.path = document.wanted;
        document.createStatus = makeFolder(document.wanted.parent_path());
        if (document.createStatus == kStatusOk)
            document.createStatus = createUniqueFile(document.wanted, document.path, document.file);
    }
    if (document.createStatus == kStatusOk) {
        document.rows += row;
        document.csvLines += csvLine;
        countRecord(document.kind, record.deleted);
    }
    report(100, document.createStatus, document.path);
}

void ExportJob::writeDocument(TableDocument& document) {
    if (document.rows.empty()) return;
    std::string text = document.html.head;
    text += document.rows;
    text += document.html.tail;
    // Written through the file created at the first row, never reopened by
    // its name: whatever took that name since is not written through.
    std::error_code ec;
    if (!document.file.writeAt(0, text.data(), text.size(), ec) || !document.file.close(ec))
        documentFailed(document.path, ec ? static_cast<Status>(ec.value()) : kStatusInvalid);
    addLink(document.kind, platform::pathText(document.path.filename()), document.path);
    writeReadableCsv(document.csvWanted, document.kind, document.csvLines, document.csvHeader);
}

void ExportJob::writeReadableCsv(const std::filesystem::path& wanted, ItemKind kind, const std::string& lines,
                                 const std::string& header) {
    std::filesystem::path path = wanted;
    Status status = makeFolder(wanted.parent_path());
    if (status == kStatusOk) status = writeNewDocument(wanted, header + lines, &path);
    if (status != kStatusOk) {
        documentFailed(path, status);
        return;
    }
    addLink(kind, platform::pathText(path.filename()), path);
}

IndexCategory& ExportJob::indexOf(ItemKind kind) {
    auto [it, added] = m_index.try_emplace(kind);
    if (added) {
        it->second.kind = kind;
        it->second.label = std::string(labelOf(kind));
        it->second.records = holdsRecords(kind);
    }
    return it->second;
}

void ExportJob::addLink(ItemKind kind, std::string label, const std::filesystem::path& target) {
    indexOf(kind).links.push_back({std::move(label), target});
}

void ExportJob::countRecord(ItemKind kind, std::uint32_t deleted) {
    IndexCategory& index = indexOf(kind);
    ++index.items;
    if (deleted != kLive) ++index.deleted;
}

void ExportJob::writeIndex() {
    ExportIndex index;
    index.deviceName = m_settings.backupName;
    index.backupDate = m_settings.backupDate;
    index.exportedAt = stampDateText(m_summary.stamp);
    for (const CategoryInfo& info : kCategories) {
        const auto it = m_index.find(info.kind);
        if (it == m_index.end()) continue;
        IndexCategory category = it->second;
        category.media = m_copies.of(info.kind);
        // The one place where the scan's verdict on a category reaches the page.
        if (const auto status = m_settings.categoryStatus.find(info.kind);
            status != m_settings.categoryStatus.end())
            category.status = status->second;
        index.categories.push_back(std::move(category));
    }
    const std::filesystem::path& dest = m_settings.destination;
    std::filesystem::path path;
    const Status status =
        writeNewDocument(dest / pathOf(kIndexFile), exportIndexHtml(index, dest, m_templates.index), &path);
    if (status != kStatusOk) documentFailed(path, status);
}

template <typename Record, typename Row, typename Line>
void ExportJob::addListRows(TableDocument& document, const std::vector<Record>& records, Row row, Line line) {
    for (const Record& r : records)
        if (!stopping() && m_tally.isTickedAndVisible(&r)) addRecord(document, r, row(r), line(r));
}

void ExportJob::writeDump(const std::filesystem::path& wanted, bool messages) {
    std::filesystem::path path = wanted;
    Status status = makeFolder(wanted.parent_path());
    if (status != kStatusOk) {
        documentFailed(path, status);
        return;
    }
    status = createUniqueFile(wanted, path);
    if (status != kStatusOk) {
        documentFailed(path, status); // nothing of ours to remove
        return;
    }
    status = messages ? m_source.exportDeletedMessages(path) : m_source.exportDeletedContacts(path);
    if (status == kStatusOk) return;
    platform::removeFile(path);
    documentFailed(path, status);
}

} // namespace orvelle
