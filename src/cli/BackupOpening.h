#pragma once
/// What commands that read one backup share: the BACKUP argument, the store
/// they use, and opening the backup (summary made current, manifest loaded).
/// Opening prints its own messages; on failure it throws CLI::RuntimeError.

#include "backup/BackupInfo.h"
#include "backup/BackupStore.h"
#include "core/Status.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <string>
#include <vector>

namespace orvelle::cli {

/// The command-line arguments that name the backup to open.
struct BackupArguments {
    std::string folder;         ///< the backup folder
    bool passwordStdin = false; ///< an encrypted backup's password comes from standard input
};

/// Adds the BACKUP positional argument (and --password-stdin) to `command`.
void addBackupArguments(CLI::App& command, BackupArguments& args);

/// The absolute, normal path of the backup folder `argument`. Fails (message
/// naming `command`, kExitUnreadableBackup) when the path does not exist, is
/// not a folder, or is a folder without any of a backup's own files
/// (Info.plist, Manifest.plist, Manifest.db, Manifest.mbdb). Every command
/// that reads a backup checks it this way, so the same fault gets the same
/// words everywhere.
std::filesystem::path requireBackupFolder(const std::string& command, const std::string& argument);

/// Store options for a command: `roots` when given, else the system's backup roots.
BackupStoreOptions commandStoreOptions(const std::vector<std::string>& roots = {});

/// The result of opening a backup for a command.
struct OpenedBackup {
    BackupInfo info;                   ///< the summary (folder set even without Info.plist)
    bool hasInfoPlist = false;         ///< false when the folder has no readable Info.plist
    Status manifestStatus = kStatusOk; ///< loadManifest's status (non-zero: partial or empty list)
};

/// Reads the backup's summary, makes it current and loads its manifest; an
/// encrypted backup is first decrypted into the store's scratch folder with
/// the user's password (the store removes the copy when it goes away).
/// Fails (message naming `command`, CLI::RuntimeError) when the folder is not
/// a backup (see requireBackupFolder), its manifest cannot be read at all
/// (kExitUnreadableCategory: its files are the command's category), or it
/// cannot be decrypted.
OpenedBackup openBackupForCommand(const std::string& command, BackupStore& store, const BackupArguments& args);

/// Prints a warning when the backup's Info.plist or Manifest.plist was
/// refused (`info.problem`): the command goes on with what could be read.
void reportRefusedSummary(const std::string& command, const std::string& shownFolder, const BackupInfo& info);

/// Prints a warning line for each stored file the store's scans refused
/// (device path, file ID and why: "not a regular file: skipped").
void reportSkippedFiles(const std::string& command, const BackupStore& store);


} // namespace orvelle::cli
