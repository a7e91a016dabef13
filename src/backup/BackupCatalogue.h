#pragma once
/// Finds backups under the backup roots and summarises them.
///
/// Every entry of a root whose name does not begin with "." is a candidate;
/// a candidate is a backup when it holds a readable Info.plist. A backup
/// whose Info.plist or Manifest.plist is refused unread (see PlistBounds.h)
/// is still listed, with the reason in its `problem`. The list is
/// sorted newest first by the backup date text (ignoring case, stable).

#include "backup/BackupInfo.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvelle {

/// Appends every candidate of every root, root by root, in the order the file
/// system lists them. Roots that cannot be listed add nothing.
void enumerateCandidates(const std::vector<std::filesystem::path>& roots,
                         std::vector<std::filesystem::path>& out);

/// One summary per candidate with a readable Info.plist, newest first.
std::vector<BackupInfo> listBackups(const std::vector<std::filesystem::path>& candidates);

/// Reads one chosen folder; kStatusOk, or kStatusInvalid when its Info.plist cannot be opened.
std::int32_t readBackupFolder(const std::filesystem::path& folder, BackupInfo& out);

/// True when Manifest.plist says IsEncrypted. Without a Manifest.plist that
/// says (older or copied backups): true when the backup's address book exists
/// (two-level or flat layout, optionally with ".mddata") and does not start
/// with "SQLite" (any case); a backup without either counts as not encrypted.
bool isEncryptedBackup(const std::filesystem::path& folder);

/// The same; `manifestProblem` says why Manifest.plist was refused unread
/// (the address book decides then), and is left alone otherwise.
bool isEncryptedBackup(const std::filesystem::path& folder, std::string& manifestProblem);

/// Sorts newest first by lastBackupDate, ignoring case; equal dates keep their order.
void sortNewestFirst(std::vector<BackupInfo>& backups);

} // namespace orvelle
