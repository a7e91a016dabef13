#pragma once
/// A large generated backup for benchmarks: 50,000 media files, 250,000
/// messages, 10,000 contacts, 50,000 calls, 5,000 notes and 100,000 WhatsApp
/// messages, about 2% of each database's rows deleted, all scaled by `scale`.

#include <filesystem>

namespace orvelle::test {

/// Writes the backup into `folder` (a Manifest.db backup, as BackupBuilder makes).
void buildLargeBackup(const std::filesystem::path& folder, double scale = 1.0);

} // namespace orvelle::test
