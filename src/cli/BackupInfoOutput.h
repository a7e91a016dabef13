#pragma once
/// How backup summaries are shown: a JSON object with the field names of
/// BackupInfo, and table rows.

#include "backup/BackupInfo.h"
#include "cli/Json.h"
#include "cli/TextTable.h"

#include <vector>

namespace orvelle::cli {

/// Writes `info` as an object with exactly the BackupInfo field names.
void writeBackupInfoJson(JsonWriter& json, const BackupInfo& info);

/// A table of summaries: date, name, phone, serial, version flag, encryption, folder.
TextTable backupTable(const std::vector<BackupInfo>& backups);

} // namespace orvelle::cli
