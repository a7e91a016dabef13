#include "cli/BackupOpening.h"

#include "backup/BackupCatalogue.h"
#include "backup/ManifestLoader.h"
#include "cli/Command.h"
#include "cli/DecryptedCopy.h"
#include "cli/Password.h"
#include "core/ProblemText.h"
#include "core/TerminalText.h"
#include "platform/PathText.h"

#include <iostream>

namespace orvelle::cli {

void addBackupArguments(CLI::App& command, BackupArguments& args) {
    command
        .add_option("BACKUP", args.folder, "The backup folder (the one holding Info.plist and the manifest)")
        ->required();
    addPasswordOption(command, args.passwordStdin);
}

std::filesystem::path requireBackupFolder(const std::string& command, const std::string& argument) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path folder = platform::utf8Path(argument);
    if (auto absolute = fs::absolute(folder, ec); !ec) folder = absolute.lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path(); // a trailing separator
    const std::string prefix = "orvelle " + command + ": " + terminalText(argument);
    const fs::file_status status = fs::status(folder, ec);
    if (!fs::exists(status)) {
        std::cerr << prefix << " does not exist\n";
        throw CLI::RuntimeError(kExitUnreadableBackup);
    }
    if (!fs::is_directory(status)) {
        std::cerr << prefix << " is a file, not a backup folder\n";
        throw CLI::RuntimeError(kExitUnreadableBackup);
    }
    for (const char* name : {"Info.plist", "Manifest.plist", "Manifest.db", "Manifest.mbdb"})
        if (fs::exists(folder / name, ec)) return folder;
    std::cerr << prefix
              << " is not a backup: it holds none of Info.plist, Manifest.plist, Manifest.db and Manifest.mbdb\n";
    throw CLI::RuntimeError(kExitUnreadableBackup);
}

BackupStoreOptions commandStoreOptions(const std::vector<std::string>& roots) {
    BackupStoreOptions options = defaultBackupStoreOptions();
    if (!roots.empty()) {
        options.backupRoots.clear();
        for (const auto& root : roots)
            options.backupRoots.push_back(platform::utf8Path(root));
    }
    // Summaries carry full paths, whatever form the roots were given in.
    for (auto& root : options.backupRoots) {
        std::error_code ec;
        if (auto absolute = std::filesystem::absolute(root, ec); !ec) root = absolute.lexically_normal();
    }
    return options;
}

OpenedBackup openBackupForCommand(const std::string& command, BackupStore& store, const BackupArguments& args) {
    const std::filesystem::path folder = requireBackupFolder(command, args.folder);
    OpenedBackup opened;
    opened.hasInfoPlist = readBackupFolder(folder, opened.info) == kStatusOk;
    reportRefusedSummary(command, args.folder, opened.info);
    if (!opened.hasInfoPlist) {
        // A copied backup may have lost its Info.plist; the manifest still maps its files.
        opened.info = BackupInfo{};
        opened.info.folder = platform::pathText(folder);
        opened.info.encrypted = isEncryptedBackup(folder);
    }
    std::filesystem::path decryptedCopy;
    if (opened.info.encrypted)
        decryptedCopy = decryptIntoScratchForCommand(store.decryptedCopyFolder(), folder, args.passwordStdin);
    store.clearCandidates();
    store.selectBackup(opened.info);
    opened.manifestStatus = store.loadManifest(folder, decryptedCopy);
    if (!decryptedCopy.empty()) store.useDecryptedCopy(decryptedCopy);
    if (opened.manifestStatus != kStatusOk && store.manifest().empty()) {
        std::cerr << "orvelle " << command << ": " << terminalText(args.folder)
                  << ": the manifest cannot be read: " << manifestStatusText(opened.manifestStatus) << '\n';
        throw CLI::RuntimeError(kExitUnreadableCategory);
    }
    if (opened.manifestStatus != kStatusOk)
        std::cerr << "orvelle " << command << ": warning: " << terminalText(args.folder) << ": "
                  << manifestStatusText(opened.manifestStatus) << '\n';
    return opened;
}

void reportRefusedSummary(const std::string& command, const std::string& shownFolder, const BackupInfo& info) {
    if (info.problem.empty()) return;
    std::cerr << "orvelle " << command << ": warning: " << terminalText(shownFolder) << ": "
              << terminalText(info.problem) << '\n';
}

void reportSkippedFiles(const std::string& command, const BackupStore& store) {
    for (const SkippedFile& file : store.skippedFiles())
        std::cerr << "orvelle " << command << ": warning: " << terminalText(file.domainPath) << " ("
                  << file.fileId << "): " << problemText(file.status) << '\n';
}

} // namespace orvelle::cli
