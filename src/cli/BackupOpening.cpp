#include "cli/BackupOpening.h"

#include "backup/BackupCatalogue.h"
#include "cli/Command.h"
#include "cli/DecryptedCopy.h"
#include "cli/Password.h"
#include "platform/PathText.h"

#include <iostream>

namespace orvelle::cli {

void addBackupArguments(CLI::App& command, BackupArguments& args) {
    command
        .add_option("BACKUP", args.folder, "The backup folder (the one holding Info.plist and the manifest)")
        ->required();
    addPasswordOption(command, args.passwordStdin);
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

std::string manifestStatusText(Status status) {
    switch (status) {
    case kStatusOk:
        return "ok";
    case kStatusInvalid:
        return "no manifest (neither Manifest.db nor a valid Manifest.mbdb)";
    case kStatusManifestUnreadable:
        return "Manifest.mbdb cannot be opened";
    case kStatusSqliteQueryFailed:
        return "the Files table of Manifest.db could not be read";
    case kStatusShortRead:
        return "Manifest.mbdb is truncated or damaged; the files listed before the damage are used";
    default:
        return "Manifest.db cannot be opened (SQLite error " + std::to_string(status) + ")";
    }
}

OpenedBackup openBackupForCommand(BackupStore& store, const BackupArguments& args) {
    std::error_code ec;
    auto folder = platform::utf8Path(args.folder);
    if (auto absolute = std::filesystem::absolute(folder, ec); !ec) folder = absolute.lexically_normal();
    if (!std::filesystem::is_directory(folder, ec)) {
        std::cerr << "orvelle: " << args.folder << " is not a folder\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    OpenedBackup opened;
    opened.hasInfoPlist = readBackupFolder(folder, opened.info) == kStatusOk;
    if (!opened.hasInfoPlist) {
        // A copied backup may have lost its Info.plist; the manifest still maps its files.
        opened.info = BackupInfo{};
        opened.info.folder = platform::pathText(folder);
        opened.info.encrypted = isEncryptedBackup(folder);
    }
    std::filesystem::path decryptedCopy;
    if (opened.info.encrypted)
        decryptedCopy = decryptIntoScratchForCommand(store.dataFolder(), folder, args.passwordStdin);
    store.clearCandidates();
    store.selectBackup(opened.info);
    opened.manifestStatus = store.loadManifest(folder, decryptedCopy);
    if (!decryptedCopy.empty()) store.useDecryptedCopy(decryptedCopy);
    if (opened.manifestStatus == kStatusInvalid && store.manifest().empty()) {
        std::cerr << "orvelle: " << args.folder << ": " << manifestStatusText(opened.manifestStatus) << '\n';
        throw CLI::RuntimeError(kExitFailure);
    }
    if (opened.manifestStatus != kStatusOk)
        std::cerr << "orvelle: warning: " << args.folder << ": " << manifestStatusText(opened.manifestStatus)
                  << '\n';
    return opened;
}

} // namespace orvelle::cli
