#include "platform/AppFolders.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace orvelle::platform {
namespace {

/// Sets (or unsets) an environment variable for one scope.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvGuard() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

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

} // namespace
} // namespace orvelle::platform
