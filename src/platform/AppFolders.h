#pragma once
/// Where the program keeps its own data and where the system keeps backups.
///
/// | system  | roaming application data          | default backup roots                                   |
/// |---------|-----------------------------------|--------------------------------------------------------|
/// | Windows | %APPDATA%                         | %APPDATA%\Apple Computer\MobileSync\Backup,            |
/// |         |                                   | %USERPROFILE%\Apple\MobileSync\Backup                  |
/// | macOS   | ~/Library/Application Support     | ~/Library/Application Support/MobileSync/Backup        |
/// | Linux   | $XDG_DATA_HOME or ~/.local/share  | $ORVELLE_BACKUP_ROOT (none when unset)                 |

#include <filesystem>
#include <vector>

namespace orvelle::platform {

/// Name of the program's folder below the roaming application-data folder.
constexpr const char* kDataFolderName = "QuorilOrvelle";

/// The user's roaming application-data folder; empty when it cannot be found.
std::filesystem::path roamingAppDataFolder();

/// The program's data folder (roaming application data + "QuorilOrvelle");
/// empty when the application-data folder cannot be found. Not created here.
std::filesystem::path dataFolder();

/// The folders where the system keeps device backups, most usual first.
/// Folders that cannot be named (unset variables) are left out.
std::vector<std::filesystem::path> defaultBackupRoots();

} // namespace orvelle::platform
