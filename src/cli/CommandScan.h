#pragma once
/// A scan run to its end for commands that work on its results (export,
/// print): the category list of the command line, the scan request for the
/// BACKUP argument (with the password of an encrypted backup), a progress bar
/// while the scan runs, and Ctrl+C handling (the first asks the scan to stop,
/// a second quits at once).

#include "cli/BackupOpening.h"
#include "core/Categories.h"
#include "scan/ScanRun.h"

#include <filesystem>
#include <memory>
#include <set>
#include <string>

namespace orvelle::cli {

/// Exit code of a command ended by Ctrl+C.
constexpr int kExitInterrupted = 130;

/// The categories of a comma list of command-line names (empty: every
/// category a scan fills). Fails (message naming `command`, usage error) on an
/// unknown name.
std::set<ItemKind> parseCategoryList(const std::string& command, const std::string& list);

/// The request for the backup folder of `args`: its summary (or a bare one
/// when Info.plist is missing) and, for an encrypted backup, the password.
/// Fails (message, CLI::RuntimeError) when the folder does not exist.
ScanRequest scanRequestFor(const std::string& command, const BackupArguments& args,
                           const std::set<ItemKind>& categories);

/// Fails (message, usage error) when `path` is the backup folder of `request`
/// or lies inside it: nothing is ever written into a backup.
void refuseInsideBackup(const std::string& command, const std::filesystem::path& path,
                        const std::string& shown, const ScanRequest& request);

/// How a command scan ended.
struct CommandScanOutcome {
    Status openStatus = kStatusOk;
    bool stopped = false; ///< Ctrl+C stopped the scan; the results are partial
};

/// A scan for a command: the store it reads through, the scan run and the
/// progress bar that shows it.
class CommandScan {
public:
    /// `command` names the command in messages.
    explicit CommandScan(std::string command);
    ~CommandScan();
    CommandScan(const CommandScan&) = delete;
    CommandScan& operator=(const CommandScan&) = delete;

    /// Starts the scan of `request` and waits for its end, showing a progress
    /// bar. Fails (message, CLI::RuntimeError) on a wrong password, a backup
    /// that cannot be opened (with its reason; kExitUnreadableBackup when its
    /// keybag or manifest is damaged) and a Ctrl+C before the backup was
    /// opened (kExitInterrupted); a manifest problem is printed as a warning.
    CommandScanOutcome run(const ScanRequest& request);

    ScanRun& scan() { return *m_scan; }

    /// Prints a warning line for each category of `asked` that could not be
    /// read (its reason in words) and answers how many there were.
    int reportUnreadableCategories(const std::set<ItemKind>& asked) const;

private:
    class Bar;

    std::string m_command;
    std::unique_ptr<BackupStore> m_store;
    std::unique_ptr<Bar> m_bar;
    std::unique_ptr<ScanRun> m_scan; ///< last: its worker ends before the bar and the store go
};

} // namespace orvelle::cli
