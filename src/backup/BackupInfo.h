#pragma once
/// The summary of one backup, read from its Info.plist.

#include <string>

namespace orvelle {

struct BackupInfo {
    bool encrypted = false;           ///< the address book does not start with "SQLite"
    bool majorVersionAbove11 = false; ///< leading digits of Product Version > 11
    std::string lastBackupDate;       ///< local time "YYYY-MM-DD hh:mm:ss"
    std::string phoneNumber;          ///< as stored
    std::string serialNumber;         ///< as stored
    std::string folder;               ///< full path of the backup folder, no trailing separator
    std::string displayName;          ///< Display Name (UTF-8)
    /// Why Info.plist or Manifest.plist could not be read (e.g. "Info.plist:
    /// the property list is nested too deeply"); empty when nothing was refused.
    std::string problem;
};

} // namespace orvelle
