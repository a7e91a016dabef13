#pragma once
/// The bundled demo: a backup root with a recent backup (Manifest.db, files in
/// two-level folders) and an older one (Manifest.mbdb, flat), holding camera
/// roll, photo stream, message attachments, app photos/videos and WhatsApp
/// media; the recent one also holds messages, contacts, call history,
/// notes and WhatsApp chats with deleted rows (DemoDatabases.h). Everything is deterministic: the same bytes
/// on every run.

#include "support/BackupBuilder.h"

#include <filesystem>
#include <string_view>

namespace orvelle::test {

/// Folder names of the two demo backups below the root.
constexpr std::string_view kDemoRecentFolder = "00008110-001A2B3C4D5E801E";
constexpr std::string_view kDemoOlderFolder = "d4e1a7c3b2f5968e0a1b2c3d4e5f60718293a4b5";

/// The recent backup (iOS 17, XML Info.plist, Manifest.db).
BackupBuilder demoRecentBackup();

/// The older backup (iOS 6, binary Info.plist, Manifest.mbdb).
BackupBuilder demoOlderBackup();

/// Writes both backups below `root` (created). Returns `root`.
std::filesystem::path makeDemoBackups(const std::filesystem::path& root);

} // namespace orvelle::test
