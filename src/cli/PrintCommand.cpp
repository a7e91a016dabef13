// orvelle print BACKUP --category NAME --out FILE.html [--deleted-only]
// [--password-stdin]: scans one category of the backup and writes the print
// page of its items (messages, contacts, calls, notes, WhatsApp chats,
// reminders, calendar events, Safari bookmarks; the
// page of any other category holds the template alone). Opened in a browser,
// the page starts printing.

#include "cli/Command.h"
#include "cli/CommandScan.h"
#include "core/TerminalText.h"
#include "export/ExportTemplates.h"
#include "export/PrintPage.h"
#include "platform/PathText.h"
#include "scan/WorkerControl.h"

#include <iostream>
#include <memory>

namespace orvelle::cli {

namespace {

namespace fs = std::filesystem;

struct PrintOptions {
    BackupArguments backup;
    std::string category;
    std::string out;
    bool deletedOnly = false;
};

void run(const PrintOptions& options) {
    const auto category = categoryByCliName(options.category);
    if (!category) throw CLI::RuntimeError(kExitUsage); // CLI11 checks the name first
    if (!hasPrintPage(category->kind)) {
        std::cerr << "orvelle print: " << category->treeLabel << " has no print page; the categories with one are:";
        for (const CategoryInfo& printable : kCategories)
            if (hasPrintPage(printable.kind)) std::cerr << ' ' << printable.cliName;
        std::cerr << '\n';
        throw CLI::RuntimeError(kExitUsage);
    }
    std::set<ItemKind> kinds;
    if (category->kind != ItemKind::None) kinds.insert(category->kind);
    const ScanRequest request = scanRequestFor("print", options.backup, kinds);

    std::error_code ec;
    const fs::path page = fs::absolute(platform::utf8Path(options.out), ec).lexically_normal();
    refuseInsideBackup("print", page, options.out, request);

    CommandScan scan("print");
    if (scan.run(request).stopped) {
        std::cerr << "orvelle print: the scan was stopped; no page was written\n";
        throw CLI::RuntimeError(kExitInterrupted);
    }
    ScanRun& run = scan.scan();
    const int unreadable = scan.reportUnreadableCategories(kinds);
    WorkerControl control;
    const Status status = buildPrintPage(category->kind, options.deletedOnly, run.results(), run.tally(),
                                         loadPrintTemplate(templateFolder()), page, control,
                                         PrintHeading{request.backup.displayName, {}});
    if (status != kStatusOk) {
        std::cerr << "orvelle print: cannot write " << terminalText(options.out) << ": "
                  << std::error_code(status, std::system_category()).message() << '\n';
        throw CLI::RuntimeError(kExitFailure);
    }
    std::cout << "Print page of " << category->treeLabel << " written to "
              << terminalText(platform::pathText(page)) << '\n';
    if (unreadable > 0) throw CLI::RuntimeError(kExitUnreadableCategory);
}

void setup(CLI::App& app) {
    CLI::App* command = app.add_subcommand(
        "print", "Write the print page of one category of a backup (open it in a browser to print)");
    auto options = std::make_shared<PrintOptions>();
    addBackupArguments(*command, options->backup);
    std::vector<std::string> names;
    for (const auto& c : kCategories)
        names.emplace_back(c.cliName);
    command->add_option("--category", options->category, "The category to print")
        ->required()
        ->check(CLI::IsMember(names));
    command->add_option("--out", options->out, "The page file to write (an existing file is replaced)")
        ->required();
    command->add_flag("--deleted-only", options->deletedOnly,
                      "Only deleted records (a chat holding a deleted message is printed whole)");
    command->callback([options] { run(*options); });
}

const CommandRegistrar registrar(36, setup);

} // namespace

} // namespace orvelle::cli
