#pragma once
/// The export job: writes every ticked, visible item of a scan below a
/// destination folder. Stored files are copied through the scan source;
/// chats become a page, a text file (and for WhatsApp a CSV file) in a folder
/// of their own; contacts, calls and notes become one table document each,
/// reminders, calendar events and bookmarks one table document and one CSV
/// document each;
/// at the end come the dumps of the message and address-book rows.
///
///   <destination>/Camera Roll/<name>              copies (also "Photo Stream",
///   <destination>/App Photos/<app>/<name>          "Message Attachments",
///   <destination>/App Video/<app>/<name>           "WhatsApp Attachments")
///   <destination>/Message/<chat>-<stamp>/<chat file>.txt|.html,  Message/sms.csv
///   <destination>/WhatsApp Message/<chat>-<stamp>/<chat>.txt|.csv|.html
///   <destination>/Contacts/<stamp>/Contacts.html|.csv
///   <destination>/CallHistory/CallHistory_<stamp>.html
///   <destination>/Notes/Notes_<stamp>.html
///   <destination>/Reminder/Reminders_<stamp>.html|.csv
///   <destination>/Calendar/Calendar_<stamp>.html|.csv
///   <destination>/Safari Bookmark/Bookmarks_<stamp>.html|.csv
///
/// Every name taken from the backup is made safe (SafeFileName.h) and every
/// file is created under a name not yet taken: "N.JPG", then "N(1).JPG".
/// Categories are exported in ItemKind order, the items of each in the
/// order of their container.
///
/// run() works on the calling thread. Another thread may pause it (hold the
/// control's lock) or stop it (requestStop): after a stop no further item is
/// started, the file being copied is removed, and the documents gathered so
/// far are still written.

#include "export/ExportObserver.h"
#include "export/ExportSource.h"
#include "export/ExportTemplates.h"
#include "scan/ScanResults.h"
#include "scan/WorkerControl.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvelle {

class SelectionTally;

struct ExportSettings {
    std::filesystem::path destination;
    std::string stamp; ///< 14 digits naming the documents; empty: the local time when run() starts
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

    void exportCategory(ItemKind kind);
    template <typename Record> void copyList(const std::vector<Record>& list, std::string_view folder);
    void copyApps(const AppFileMap& apps, std::string_view folder);
    void copyOut(const std::string& storedPath, const std::filesystem::path& folder, const std::string& name);
    void exportMessageChat(const MessageRecord& summary);
    void exportWhatsAppChat(const WhatsAppMessageRecord& summary);
    void addRow(TableDocument& document, std::string row);
    void writeDocument(TableDocument& document);
    void writeCsvDocument(const TableDocument& document, std::string_view header);
    template <typename Record, typename Row, typename Line>
    void addListRows(TableDocument& document, const std::vector<Record>& records, Row row, Line line);
    void writeDump(const std::filesystem::path& wanted, bool messages);

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
};

} // namespace orvelle
