// orvelle list: the backups found under the backup roots, newest first.

#include "backup/BackupStore.h"
#include "cli/BackupInfoOutput.h"
#include "cli/BackupOpening.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/TerminalText.h"
#include "platform/PathText.h"

#include <iostream>
#include <memory>

namespace orvelle::cli {

namespace {

struct ListOptions {
    std::vector<std::string> roots;
    bool json = false;
};

void runList(const ListOptions& options) {
    BackupStore store(commandStoreOptions(options.roots));
    const std::vector<BackupInfo> backups = store.listBackups();
    // A backup whose plists were refused is listed with what could be read;
    // the reason goes to the error stream, so the table and JSON stay data.
    for (const auto& b : backups)
        if (!b.problem.empty())
            std::cerr << "orvelle list: " << terminalText(b.folder) << ": unreadable: " << b.problem << '\n';
    if (options.json) {
        JsonWriter json(std::cout, true);
        json.beginArray();
        for (const auto& b : backups)
            writeBackupInfoJson(json, b);
        json.endArray();
        std::cout << '\n';
        return;
    }
    const auto roots = commandStoreOptions(options.roots).backupRoots;
    if (roots.empty()) {
        std::cerr << "orvelle: no backup root: pass --backup-root DIR or set ORVELLE_BACKUP_ROOT\n";
        return;
    }
    if (backups.empty()) {
        std::cout << "No backups found under:";
        for (const auto& root : roots)
            std::cout << ' ' << terminalText(platform::pathText(root));
        std::cout << '\n';
        return;
    }
    backupTable(backups).print(std::cout);
}

void setupList(CLI::App& app) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* cmd =
        app.add_subcommand("list", "List the device backups found under the backup roots, newest first");
    cmd->add_option("--backup-root", options->roots,
                    "A folder holding backups (repeatable; default: the system's backup folders)");
    cmd->add_flag("--json", options->json, "Print a JSON array of backup summaries");
    cmd->callback([options] { runList(*options); });
}

const CommandRegistrar registrar(10, setupList);

} // namespace

} // namespace orvelle::cli
