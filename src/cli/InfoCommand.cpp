// orvelle info: the summary of one backup folder.

#include "backup/BackupCatalogue.h"
#include "cli/BackupInfoOutput.h"
#include "cli/BackupOpening.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Status.h"
#include "core/TerminalText.h"
#include "platform/PathText.h"

#include <iostream>
#include <memory>

namespace orvelle::cli {

namespace {

struct InfoOptions {
    std::string folder;
    bool json = false;
};

void runInfo(const InfoOptions& options) {
    BackupInfo info;
    if (readBackupFolder(requireBackupFolder("info", options.folder), info) != kStatusOk) {
        std::cerr << "orvelle info: " << terminalText(options.folder)
                  << ": its Info.plist is missing or cannot be read, so the backup's summary is unknown "
                     "(scan, files and export still read the backup through its manifest)\n";
        throw CLI::RuntimeError(kExitUnreadableBackup);
    }
    if (options.json) {
        JsonWriter json(std::cout, true);
        writeBackupInfoJson(json, info);
        std::cout << '\n';
        return;
    }
    TextTable table({"Field", "Value"});
    table.addRow({"Display name", info.displayName});
    table.addRow({"Last backup", info.lastBackupDate});
    table.addRow({"Phone number", info.phoneNumber});
    table.addRow({"Serial number", info.serialNumber});
    table.addRow({"iOS 12 or later", info.majorVersionAbove11 ? "yes" : "no"});
    table.addRow({"Encrypted", info.encrypted ? "yes" : "no"});
    table.addRow({"Folder", info.folder});
    if (!info.problem.empty()) table.addRow({"Unreadable", info.problem});
    table.print(std::cout);
}

void setupInfo(CLI::App& app) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* cmd = app.add_subcommand("info", "Show the summary of one backup folder (from its Info.plist)");
    cmd->add_option("FOLDER", options->folder, "The backup folder")->required();
    cmd->add_flag("--json", options->json, "Print the summary as a JSON object");
    cmd->callback([options] { runInfo(*options); });
}

const CommandRegistrar registrar(11, setupInfo);

} // namespace

} // namespace orvelle::cli
