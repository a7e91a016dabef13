#include "platform/AppFolders.h"

#include <cstdlib>

#ifdef _WIN32
#include "platform/WindowsInternal.h"

#include <windows.h>
#endif

namespace orvelle::platform {

namespace {
std::filesystem::path fromEnvironment(const char* name) {
#ifdef _WIN32
    // The process environment itself, in UTF-16: the C runtime's copy is
    // narrowed through the ANSI code page and misses later changes.
    const std::wstring wideName = windows::widen(name);
    std::wstring value(256, L'\0');
    DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length >= value.size()) {
        value.assign(length, L'\0');
        length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    }
    if (length > 0 && length < value.size()) {
        value.resize(length);
        return std::filesystem::path(value);
    }
#else
    if (const char* value = std::getenv(name); value && *value) return std::filesystem::path(value);
#endif
    return {};
}

std::filesystem::path homeFolder() {
#ifdef _WIN32
    return fromEnvironment("USERPROFILE");
#else
    return fromEnvironment("HOME");
#endif
}
} // namespace

std::filesystem::path roamingAppDataFolder() {
#if defined(_WIN32)
    return fromEnvironment("APPDATA");
#elif defined(__APPLE__)
    const auto home = homeFolder();
    return home.empty() ? home : home / "Library" / "Application Support";
#else
    if (auto xdg = fromEnvironment("XDG_DATA_HOME"); !xdg.empty()) return xdg;
    const auto home = homeFolder();
    return home.empty() ? home : home / ".local" / "share";
#endif
}

std::filesystem::path dataFolder() {
    const auto roaming = roamingAppDataFolder();
    return roaming.empty() ? roaming : roaming / kDataFolderName;
}

std::vector<std::filesystem::path> defaultBackupRoots() {
    std::vector<std::filesystem::path> roots;
#if defined(_WIN32)
    if (auto appData = fromEnvironment("APPDATA"); !appData.empty())
        roots.push_back(appData / "Apple Computer" / "MobileSync" / "Backup");
    // Newer installs from the Microsoft Store keep their backups below the profile.
    if (auto profile = homeFolder(); !profile.empty())
        roots.push_back(profile / "Apple" / "MobileSync" / "Backup");
#elif defined(__APPLE__)
    if (auto home = homeFolder(); !home.empty())
        roots.push_back(home / "Library" / "Application Support" / "MobileSync" / "Backup");
#else
    if (auto root = fromEnvironment("ORVELLE_BACKUP_ROOT"); !root.empty()) roots.push_back(root);
#endif
    return roots;
}

} // namespace orvelle::platform
