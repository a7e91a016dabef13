#pragma once
/// The export job: writes every ticked, visible item of a scan below a
/// destination folder. Stored files are copied through the scan source;
/// chats become a page, a text file (and for WhatsApp a CSV file) in a folder
/// of their own; contacts, calls and notes become one table document each,
/// reminders, calendar events and bookmarks one table document and one CSV
/// document each;
/// at the end come the dumps of the message and address-book rows.
///
///   <destination>/index.html                       the page that leads to all of it
///   <destination>/Camera Roll/<name>              copies (also "Photo Stream",
///   <destination>/App Photos/<app>/<name>          "Message Attachments",
///   <destination>/App Video/<app>/<name>           "WhatsApp Attachments")
///   <destination>/App Audio/<app>/<name>
///   <destination>/Message/<chat>-<stamp>/<chat file>.txt|.html,  Message/sms.csv, Message/Messages.csv
///   <destination>/WhatsApp Message/<chat>-<stamp>/<chat>.txt|.csv|.html,  WhatsApp Message/WhatsApp.csv
///   <destination>/Contacts/<stamp>/Contacts.html|.csv, Contacts/<stamp>/Contact list.csv
///   <destination>/CallHistory/CallHistory_<stamp>.html|.csv
///   <destination>/Notes/Notes_<stamp>.html|.csv
///   <destination>/Reminder/Reminders_<stamp>.html|.csv
///   <destination>/Calendar/Calendar_<stamp>.html|.csv
///   <destination>/Safari Bookmark/Bookmarks_<stamp>.html|.csv
///
/// App files go where their content says: pictures under "App Photos",
/// videos under "App Video", sounds under "App Audio". The attachments are
/// copied before the chats are written, so that a chat page can show a
/// picture it carries inline and link any other file (relative links: the
/// export folder can be moved). The readable CSV files are described in
/// ReadableCsv.h, the index page in ExportIndex.h.
///
/// Every name taken from the backup is made safe (SafeFileName.h) and every
/// file is created under a name not yet taken: "N.JPG", then "N(1).JPG".
/// The export makes its folders itself and never writes through a link: a
/// folder below the destination that already exists as a link (a reparse
/// point on Windows) or as a file is refused, and every file meant for it is
/// reported failed (kStatusLinkedFolder) rather than written elsewhere.
/// Categories are exported in ItemKind order, the items of each in the
/// order of their container.
///
/// run() works on the calling thread. Another thread may pause it (hold the
/// control's lock) or stop it (requestStop): after a stop no further item is
/// started, the file being copied is removed, and the documents gathered so
/// far are still written.

#include "export/ExportObserver.h"
#include "export/ExportSource.h"
#include "export/ExportIndex.h"
#include "export/ExportTemplates.h"
#include "export/ExportedFiles.h"
#include "scan/ScanResults.h"
#include "scan/WorkerControl.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvelle {

class SelectionTally;

struct ExportSettings {
    std::filesystem::path destination;
    std::string stamp;      ///< 14 digits naming the documents; empty: the local time when run() starts
    std::string backupName; ///< the device's display name, named by the index page
    std::string backupDate; ///< the backup's date, named by the index page
    /// How the scan fared per category, shown on the index page when given.
    std::map<ItemKind, std::string> categoryStatus;
};

struct ExportFailure {
    std::filesystem::path file;
    Status status = kStatusOk;
    std::string text; ///< the message for `status`
};

struct ExportSummary {
    std::uint32_t done = 0;     ///< files finished, failures included
    std::uint32_t failed = 0;   ///< files finished with an error
    std::uint32_t expected = 0; ///< ticked, visible items when the export started
    bool stopped = false;       ///< a stop was requested
    std::string stamp;
    std::vector<ExportFailure> failures; ///< failed files, and documents that could not be written
};

/// The local time now as "YYYYMMDDhhmmss".
std::string currentStamp();

/// A stamp as date text, "YYYY-MM-DD hh:mm:ss"; other text is returned as it is.
std::string stampDateText(std::string_view stamp);

class ExportJob {
public:
    /// Everything handed in must outlive the job; the results and the tally
    /// must not change while it runs.
    ExportJob(const ScanResults& results, const SelectionTally& tally, ExportSource& source,
              const ExportTemplates& templates, ExportSettings settings);
    ExportJob(const ExportJob&) = delete;
    ExportJob& operator=(const ExportJob&) = delete;

    /// Receives progress and finished files; may be null.
    void setObserver(ExportObserver* observer) { m_observer = observer; }
    /// Pause, stop and the finished flag, for another thread.
    WorkerControl& control() { return m_control; }

    /// Exports everything; returns when done or stopped.
    ExportSummary run();

private:
    struct TableDocument;

    static int progressThunk(void* job, int percent, Status status, const std::filesystem::path& path);
    int report(int percent, Status status, const std::filesystem::path& path);
    ProgressSink sink() { return {&ExportJob::progressThunk, this}; }
    bool stopping() const { return m_control.stopRequested(); }
    void documentFailed(const std::filesystem::path& file, Status status);
    /// Creates `folder` below the destination (see createFoldersWithin): 0,
    /// kStatusLinkedFolder, or the system's error code.
    Status makeFolder(const std::filesystem::path& folder) const;

    void exportCategory(ItemKind kind);
    template <typename Record>
    void copyList(const std::vector<Record>& list, ItemKind kind, std::string_view folder);
    void copyApps(const AppFileMap& apps, ItemKind kind);
    void copyOut(ItemKind kind, const std::string& storedPath, const std::filesystem::path& folder,
                 const std::string& name);
    void exportMessageChat(const MessageRecord& summary);
    void exportWhatsAppChat(const WhatsAppMessageRecord& summary);
    void exportMessengerChat(ItemKind kind, const MessengerChatSummary& summary);
    template <typename Record>
    void addRecord(TableDocument& document, const Record& record, std::string row, std::string csvLine);
    void writeDocument(TableDocument& document);
    template <typename Record, typename Row, typename Line>
    void addListRows(TableDocument& document, const std::vector<Record>& records, Row row, Line line);
    void writeDump(const std::filesystem::path& wanted, bool messages);
    void writeReadableCsv(const std::filesystem::path& wanted, ItemKind kind, const std::string& lines,
                          const std::string& header);
    IndexCategory& indexOf(ItemKind kind);
    void addLink(ItemKind kind, std::string label, const std::filesystem::path& target);
    void countRecord(ItemKind kind, std::uint32_t deleted);
    void writeIndex();

    const ScanResults& m_results;
    const SelectionTally& m_tally;
    ExportSource& m_source;
    const ExportTemplates& m_templates;
    ExportSettings m_settings;
    ExportObserver* m_observer = nullptr;
    WorkerControl m_control;

    ExportSummary m_summary;
    bool m_messagesWritten = false;
    bool m_fileFinishedReported = false;
    std::filesystem::path m_copyFolder; ///< the folder of the last copy, created already
    Status m_copyFolderStatus = kStatusOk; ///< how creating m_copyFolder went
    ExportedFiles m_copies;
    std::map<ItemKind, IndexCategory> m_index;
    std::string m_messagesCsv; ///< lines of the readable CSV files of the chats
    std::string m_whatsAppCsv;
};

} // namespace orvelle
