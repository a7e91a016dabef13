#include "export/ExportJob.h"

#include "export/CallHistoryDocument.h"
#include "export/ChatNames.h"
#include "export/ContactsDocument.h"
#include "export/ListDocuments.h"
#include "export/MessageChatDocuments.h"
#include "export/NotesDocument.h"
#include "export/SafeFileName.h"
#include "export/StatusText.h"
#include "export/WhatsAppChatDocuments.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/LocalTime.h"
#include "platform/OutputFile.h"
#include "platform/PathText.h"
#include "scan/SelectionTally.h"
#include "scan/ScanResults.h"

#include <cstdio>
#include <ctime>

namespace orvelle {

namespace {

constexpr std::string_view kCameraRollFolder = "Camera Roll";
constexpr std::string_view kPhotoStreamFolder = "Photo Stream";
constexpr std::string_view kAppPhotosFolder = "App Photos";
constexpr std::string_view kAppVideosFolder = "App Video";
constexpr std::string_view kMessagesFolder = "Message";
constexpr std::string_view kMessageAttachmentsFolder = "Message Attachments";
constexpr std::string_view kContactsFolder = "Contacts";
constexpr std::string_view kCallHistoryFolder = "CallHistory";
constexpr std::string_view kNotesFolder = "Notes";
constexpr std::string_view kWhatsAppFolder = "WhatsApp Message";
constexpr std::string_view kWhatsAppAttachmentsFolder = "WhatsApp Attachments";
constexpr std::string_view kMessageDumpFile = "sms.csv";
constexpr std::string_view kRemindersFolder = "Reminder";
constexpr std::string_view kCalendarFolder = "Calendar";
constexpr std::string_view kBookmarksFolder = "Safari Bookmark";

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

/// Rows of one table document (contacts, calls or notes) gathered during the
/// walk. The file is created at the first row, so that every row can name it.
struct ExportJob::TableDocument {
    TableDocument(const HtmlTemplate& html, std::filesystem::path wanted)
        : html(html), wanted(std::move(wanted)) {}
    const HtmlTemplate& html;
    std::filesystem::path wanted;
    std::filesystem::path path;
    bool created = false;
    Status createStatus = kStatusOk;
    std::string rows;
    std::string csvLines; ///< the CSV document's lines, for the documents that have one
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

ExportSummary ExportJob::run() {
    m_control.begin();
    m_summary = ExportSummary{};
    m_summary.stamp = m_settings.stamp.empty() ? currentStamp() : m_settings.stamp;
    m_summary.expected = m_tally.selectedVisibleCount();
    m_messagesWritten = false;
    m_copyFolder.clear();

    const std::filesystem::path& dest = m_settings.destination;
    const std::string& stamp = m_summary.stamp;
    TableDocument calls{m_templates.callHistory,
                        dest / kCallHistoryFolder / pathOf("CallHistory_" + stamp + ".html")};
    TableDocument notes{m_templates.notes, dest / kNotesFolder / pathOf("Notes_" + stamp + ".html")};
    TableDocument contacts{m_templates.contacts, dest / kContactsFolder / pathOf(stamp) / "Contacts.html"};
    TableDocument reminders{m_templates.reminders,
                            dest / kRemindersFolder / pathOf("Reminders_" + stamp + ".html")};
    TableDocument events{m_templates.calendar, dest / kCalendarFolder / pathOf("Calendar_" + stamp + ".html")};
    TableDocument bookmarks{m_templates.bookmarks,
                            dest / kBookmarksFolder / pathOf("Bookmarks_" + stamp + ".html")};

    for (const TallyNode* node : m_tally.root().children) {
        if (stopping()) break;
        switch (node->kind) {
        case ItemKind::Contacts:
            for (const ContactRecord& r : m_results.contacts)
                if (!stopping() && m_tally.isTickedAndVisible(&r)) addRow(contacts, contactRow(r));
            break;
        case ItemKind::CallHistory:
            for (const CallRecord& r : m_results.calls)
                if (!stopping() && m_tally.isTickedAndVisible(&r)) addRow(calls, callHistoryRow(r));
            break;
        case ItemKind::Notes:
            for (const NoteRecord& r : m_results.notes)
                if (!stopping() && m_tally.isTickedAndVisible(&r)) addRow(notes, noteRow(r));
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
            exportCategory(node->kind);
            break;
        }
    }

    // The documents gathered so far are written even after a stop.
    if (m_messagesWritten) writeDump(dest / kMessagesFolder / kMessageDumpFile, true);
    writeDocument(calls);
    writeDocument(notes);
    if (!contacts.rows.empty()) writeDump(contacts.wanted.parent_path() / "Contacts.csv", false);
    writeDocument(contacts);
    writeCsvDocument(reminders, kReminderCsvHeader);
    writeDocument(reminders);
    writeCsvDocument(events, kCalendarCsvHeader);
    writeDocument(events);
    writeCsvDocument(bookmarks, kBookmarkCsvHeader);
    writeDocument(bookmarks);

    m_summary.stopped = stopping();
    m_control.end();
    return m_summary;
}

void ExportJob::exportCategory(ItemKind kind) {
    switch (kind) {
    case ItemKind::CameraRoll:
        copyList(m_results.cameraRoll, kCameraRollFolder);
        break;
    case ItemKind::PhotoStream:
        copyList(m_results.photoStream, kPhotoStreamFolder);
        break;
    case ItemKind::AppPhotos:
        copyApps(m_results.appPhotos, kAppPhotosFolder);
        break;
    case ItemKind::AppVideos:
        copyApps(m_results.appVideos, kAppVideosFolder);
        break;
    case ItemKind::MessageAttachments:
        copyList(m_results.messageAttachments, kMessageAttachmentsFolder);
        break;
    case ItemKind::WhatsAppAttachments:
        copyList(m_results.whatsAppAttachments, kWhatsAppAttachmentsFolder);
        break;
    case ItemKind::Messages:
        for (const MessageRecord& summary : m_results.messageSummaries)
            if (!stopping() && m_tally.isTickedAndVisible(&summary)) exportMessageChat(summary);
        break;
    case ItemKind::WhatsApp:
        for (const WhatsAppMessageRecord& summary : m_results.whatsAppSummaries)
            if (!stopping() && m_tally.isTickedAndVisible(&summary)) exportWhatsAppChat(summary);
        break;
    default:
        break;
    }
}

template <typename Record>
void ExportJob::copyList(const std::vector<Record>& list, std::string_view folder) {
    const std::filesystem::path target = m_settings.destination / folder;
    for (const Record& r : list)
        if (!stopping() && m_tally.isTickedAndVisible(&r)) copyOut(r.storedPath, target, r.name);
}

void ExportJob::copyApps(const AppFileMap& apps, std::string_view folder) {
    for (const auto& [appName, files] : apps) {
        const std::filesystem::path target = m_settings.destination / folder / safePath(appName);
        for (const AppFileRecord& r : files)
            if (!stopping() && m_tally.isTickedAndVisible(&r)) copyOut(r.storedPath, target, r.name);
    }
}

void ExportJob::copyOut(const std::string& storedPath, const std::filesystem::path& folder,
                        const std::string& name) {
    if (folder != m_copyFolder) {
        platform::createFolders(folder);
        m_copyFolder = folder;
    }
    std::filesystem::path target;
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
    platform::createFolders(folder);
    const std::string file = safeFileName(messageChatFileName(summary));
    static const std::vector<MessageRecord> kNoMessages;
    const auto it = m_results.messageChats.find(summary.handleId);
    const auto& messages = it != m_results.messageChats.end() ? it->second : kNoMessages;
    writeChatText(folder / pathOf(file + ".txt"), messageTextLines(messages));
    writeMessageChatHtml(folder / pathOf(file + ".html"), m_templates.sms, summary, messages, sink());
    m_messagesWritten = true;
}

void ExportJob::exportWhatsAppChat(const WhatsAppMessageRecord& summary) {
    const std::string name = safeFileName(whatsAppChatName(summary));
    const std::filesystem::path folder =
        m_settings.destination / kWhatsAppFolder / pathOf(name + "-" + m_summary.stamp);
    platform::createFolders(folder);
    static const std::vector<WhatsAppMessageRecord> kNoMessages;
    const auto it = m_results.whatsAppChats.find(summary.chatKey);
    const auto& messages = it != m_results.whatsAppChats.end() ? it->second : kNoMessages;
    writeChatText(folder / pathOf(name + ".txt"), whatsAppTextLines(messages));
    writeNewDocument(folder / pathOf(name + ".csv"), whatsAppChatCsv(messages));
    writeWhatsAppChatHtml(folder / pathOf(name + ".html"), m_templates.whatsApp, summary, messages, sink());
}

void ExportJob::addRow(TableDocument& document, std::string row) {
    if (!document.created) {
        document.created = true;
        platform::createFolders(document.wanted.parent_path());
        document.createStatus = createUniqueFile(document.wanted, document.path);
    }
    if (document.createStatus == kStatusOk) document.rows += row;
    report(100, document.createStatus, document.path);
}

void ExportJob::writeDocument(TableDocument& document) {
    if (document.rows.empty()) return;
    std::string text = document.html.head;
    text += document.rows;
    text += document.html.tail;
    std::error_code ec;
    if (!platform::writeWholeFile(document.path, text, ec))
        documentFailed(document.path, ec ? static_cast<Status>(ec.value()) : kStatusInvalid);
}

template <typename Record, typename Row, typename Line>
void ExportJob::addListRows(TableDocument& document, const std::vector<Record>& records, Row row, Line line) {
    for (const Record& r : records) {
        if (stopping() || !m_tally.isTickedAndVisible(&r)) continue;
        addRow(document, row(r));
        if (document.createStatus == kStatusOk) document.csvLines += line(r);
    }
}

void ExportJob::writeCsvDocument(const TableDocument& document, std::string_view header) {
    if (document.csvLines.empty()) return;
    // Beside the HTML document, under the same name (which may carry a "(n)").
    std::filesystem::path wanted = document.path;
    wanted.replace_extension(".csv");
    std::filesystem::path path;
    Status status = createUniqueFile(wanted, path);
    if (status == kStatusOk) {
        std::error_code ec;
        if (!platform::writeWholeFile(path, std::string(header) + document.csvLines, ec))
            status = ec ? static_cast<Status>(ec.value()) : kStatusInvalid;
    }
    if (status != kStatusOk) documentFailed(path.empty() ? wanted : path, status);
}

void ExportJob::writeDump(const std::filesystem::path& wanted, bool messages) {
    platform::createFolders(wanted.parent_path());
    std::filesystem::path path;
    Status status = createUniqueFile(wanted, path);
    if (status == kStatusOk)
        status = messages ? m_source.exportDeletedMessages(path) : m_source.exportDeletedContacts(path);
    if (status == kStatusOk) return;
    platform::removeFile(path);
    documentFailed(path, status);
}

} // namespace orvelle
