#include "platform/AppFolders.h"

#include "support/Environment.h"

#include <gtest/gtest.h>
#include <string>

namespace orvelle::platform {
namespace {

using EnvGuard = test::ScopedVariable;

#if !defined(_WIN32) && !defined(__APPLE__)
TEST(AppFolders, LinuxDataFolderFollowsXdg) {
    EnvGuard xdg("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(roamingAppDataFolder(), std::filesystem::path("/data/home"));
    EXPECT_EQ(dataFolder(), std::filesystem::path("/data/home/QuorilOrvelle"));
    EnvGuard noXdg("XDG_DATA_HOME", nullptr);
    EnvGuard home("HOME", "/home/anna");
    EXPECT_EQ(dataFolder(), std::filesystem::path("/home/anna/.local/share/QuorilOrvelle"));
    EnvGuard noHome("HOME", nullptr);
    EXPECT_TRUE(dataFolder().empty());
}

TEST(AppFolders, LinuxBackupRootComesFromTheEnvironment) {
    {
        EnvGuard root("ORVELLE_BACKUP_ROOT", "/mnt/phone-backups");
        EXPECT_EQ(defaultBackupRoots(), std::vector<std::filesystem::path>{"/mnt/phone-backups"});
    }
    EnvGuard none("ORVELLE_BACKUP_ROOT", nullptr);
    EXPECT_TRUE(defaultBackupRoots().empty());
    EnvGuard empty("ORVELLE_BACKUP_ROOT", "");
    EXPECT_TRUE(defaultBackupRoots().empty());
}
#endif

#ifdef _WIN32
TEST(AppFolders, WindowsFoldersFollowAppDataAndTheProfile) {
    EnvGuard appData("APPDATA", "C:\\Users\\anna\\AppData\\Roaming");
    EnvGuard profile("USERPROFILE", "C:\\Users\\anna");
    const std::filesystem::path roaming = "C:\\Users\\anna\\AppData\\Roaming";
    EXPECT_EQ(roamingAppDataFolder(), roaming);
    EXPECT_EQ(dataFolder(), roaming / "QuorilOrvelle");
    EXPECT_EQ(defaultBackupRoots(),
              (std::vector<std::filesystem::path>{roaming / "Apple Computer" / "MobileSync" / "Backup",
                                                  std::filesystem::path("C:\\Users\\anna") / "Apple" /
                                                      "MobileSync" / "Backup"}));
    EnvGuard noAppData("APPDATA", nullptr);
    EXPECT_TRUE(dataFolder().empty());
    EXPECT_EQ(defaultBackupRoots().size(), 1u);
    EnvGuard noProfile("USERPROFILE", nullptr);
    EXPECT_TRUE(defaultBackupRoots().empty());
}
#endif

} // namespace
} // namespace orvelle::platform
