// orvelle export BACKUP DEST [--categories LIST] [--deleted-only]
// [--password-stdin]: scans the backup, ticks every item and exports it below
// DEST (copies of the stored files, documents for messages, contacts, calls,
// notes and WhatsApp chats), with a progress bar; prints the counts and the
// files that failed. Ctrl+C stops the export (the documents gathered so far
// are still written); a second Ctrl+C quits at once.

#include "cli/Command.h"
#include "cli/CommandScan.h"
#include "cli/ProgressBar.h"
#include "core/TerminalText.h"
#include "export/ExportJob.h"
#include "export/ScanSourceExport.h"
#include "platform/PathText.h"
#include "platform/Signals.h"
#include "scan/DeletedOnlyFilter.h"

#include <cstdlib>
#include <iostream>
#include <memory>

namespace orvelle::cli {

namespace {

namespace fs = std::filesystem;

struct ExportOptions {
    BackupArguments backup;
    std::string destination;
    std::string categories;
    bool deletedOnly = false;
};

/// At most kShownNameBytes of `name` (cut at a character boundary), so the bar stays on one line.
std::string shortName(std::string name) {
    constexpr std::size_t kShownNameBytes = 32;
    if (name.size() <= kShownNameBytes) return name;
    std::size_t cut = kShownNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    name.resize(cut);
    return name + "...";
}

/// The progress bar of the export; Ctrl+C asks the job to stop.
class ExportBar : public ExportObserver {
public:
    explicit ExportBar(WorkerControl& control) : m_control(control) {}

    void exportProgress(const ExportProgress& p) override {
        checkInterrupts();
        const int overall = p.expected ? static_cast<int>(std::uint64_t{p.done} * 100 / p.expected) : 100;
        m_bar.show(overall, std::to_string(p.done) + "/" + std::to_string(p.expected) + " " +
                                shortName(terminalText(platform::pathText(p.current.filename()))));
    }
    void clear() { m_bar.clear(); }
    bool interrupted() const { return m_interrupted; }

private:
    void checkInterrupts() {
        const int interrupts = platform::interruptCount();
        if (interrupts >= 2) {
            m_bar.clear();
            std::cerr << "orvelle export: interrupted\n";
            std::_Exit(kExitInterrupted);
        }
        if (interrupts == 1 && !m_interrupted) {
            m_interrupted = true;
            m_control.requestStop();
            m_bar.clear();
            std::cerr << "orvelle export: stopping; the documents gathered so far are written; press Ctrl+C "
                         "again to quit at once\n";
        }
    }

    WorkerControl& m_control;
    ProgressBar m_bar{"Exporting"};
    bool m_interrupted = false;
};

/// The destination's full path; refused when it lies inside the backup.
fs::path checkDestination(const ExportOptions& options, const ScanRequest& request) {
    std::error_code ec;
    fs::path destination = fs::absolute(platform::utf8Path(options.destination), ec).lexically_normal();
    refuseInsideBackup("export", destination, options.destination, request);
    if (!destination.has_filename()) destination = destination.parent_path(); // no trailing separator
    if (fs::exists(destination, ec) && !fs::is_directory(destination, ec)) {
        std::cerr << "orvelle export: " << terminalText(options.destination) << " is a file, not a folder\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    return destination;
}

/// Makes the destination folder, once the backup has been opened: a backup
/// that cannot be opened leaves nothing behind.
void createDestination(const ExportOptions& options, const fs::path& destination) {
    std::error_code ec;
    fs::create_directories(destination, ec);
    if (!fs::is_directory(destination)) {
        std::cerr << "orvelle export: cannot create " << terminalText(options.destination)
                  << (ec ? ": " + ec.message() : std::string()) << '\n';
        throw CLI::RuntimeError(kExitFailure);
    }
}

void printSummary(const ExportSummary& summary, const fs::path& destination) {
    std::cout << (summary.stopped ? "Export stopped: " : "Exported ") << summary.done - summary.failed
              << " of " << summary.expected << " items to " << terminalText(platform::pathText(destination))
              << " (" << summary.done << " files finished, " << summary.failed << " failed)\n";
    if (summary.failures.empty()) return;
    std::cout << "Failed files:\n";
    for (const ExportFailure& failure : summary.failures)
        std::cout << "  " << terminalText(platform::pathText(failure.file)) << ": "
                  << terminalText(failure.text) << '\n';
}

void run(const ExportOptions& options) {
    const std::set<ItemKind> kinds = parseCategoryList("export", options.categories);
    const ScanRequest request = scanRequestFor("export", options.backup, kinds);
    const fs::path destination = checkDestination(options, request);

    ExportTemplates templates;
    fs::path badTemplate;
    if (const Status status =
            loadExportTemplates(templateFolder(), request.backup.displayName, templates, &badTemplate);
        status != kStatusOk) {
        std::cerr << "orvelle export: the template " << terminalText(platform::pathText(badTemplate))
                  << " cannot be read; nothing was exported\n";
        throw CLI::RuntimeError(kExitFailure);
    }

    CommandScan scan("export");
    if (scan.run(request).stopped) {
        std::cerr << "orvelle export: the scan was stopped; nothing was exported\n";
        throw CLI::RuntimeError(kExitInterrupted);
    }
    createDestination(options, destination);
    ScanRun& run = scan.scan();
    const int unreadable = scan.reportUnreadableCategories(kinds);
    if (options.deletedOnly)
        for (const CategoryInfo& category : kCategories)
            setDeletedOnly(category.kind, true, run.results(), run.tally());
    if (!run.source()) {
        std::cerr << "orvelle export: the backup has no source to copy from\n";
        throw CLI::RuntimeError(kExitFailure);
    }

    ScanSourceExport source(*run.source());
    ExportJob job(run.results(), run.tally(), source, templates,
                  {destination, {}, request.backup.displayName, request.backup.lastBackupDate, run.outcomeTexts()});
    ExportBar bar(job.control());
    job.setObserver(&bar);
    const ExportSummary summary = job.run();
    bar.clear();
    printSummary(summary, destination);
    if (summary.stopped || bar.interrupted()) throw CLI::RuntimeError(kExitInterrupted);
    if (summary.failed > 0 || !summary.failures.empty()) throw CLI::RuntimeError(kExitFailure);
    if (unreadable > 0) {
        std::cerr << "orvelle export: " << unreadable
                  << (unreadable == 1 ? " category" : " categories")
                  << " could not be read (see the warnings above); the others were exported\n";
        throw CLI::RuntimeError(kExitUnreadableCategory);
    }
}

void setup(CLI::App& app) {
    CLI::App* command = app.add_subcommand(
        "export",
        "Export a backup's items to a folder: copies of photos, videos and attachments, and documents "
        "for messages, contacts, calls, notes and WhatsApp, QQ and WeChat chats");
    auto options = std::make_shared<ExportOptions>();
    addBackupArguments(*command, options->backup);
    command->add_option("DEST", options->destination, "The folder to export to (created when missing)")
        ->required();
    std::string names;
    for (const auto& c : kCategories)
        names += (names.empty() ? "" : ",") + std::string(c.cliName);
    command->add_option("--categories", options->categories,
                        "Comma list of categories (default: all): " + names);
    command->add_flag("--deleted-only", options->deletedOnly,
                      "Leave out the live messages, contacts, calls, notes and chats (a chat is "
                      "exported whole when it holds a deleted message); files are exported as usual");
    command->callback([options] { run(*options); });
}

const CommandRegistrar registrar(35, setup);

} // namespace

} // namespace orvelle::cli
