#include "cli/CommandScan.h"

#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "backup/ManifestLoader.h"
#include "cli/Command.h"
#include "cli/Password.h"
#include "cli/ProgressBar.h"
#include "core/TerminalText.h"
#include "platform/PathText.h"
#include "platform/Signals.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace orvelle::cli {

class CommandScan::Bar : public ScanObserver {
public:
    void progressShown(int percent) override { m_bar.show(percent); }
    void passwordNeeded() override { m_passwordNeeded = true; }
    void openFailed() override { m_openFailed = true; }
    void clear() { m_bar.clear(); }
    bool passwordWasNeeded() const { return m_passwordNeeded; }
    bool openHasFailed() const { return m_openFailed; }

private:
    ProgressBar m_bar{"Scanning"};
    std::atomic<bool> m_passwordNeeded{false};
    std::atomic<bool> m_openFailed{false};
};

std::set<ItemKind> parseCategoryList(const std::string& command, const std::string& list) {
    if (list.empty()) return allScanCategories();
    std::set<ItemKind> kinds;
    std::stringstream in(list);
    std::string name;
    while (std::getline(in, name, ',')) {
        const auto category = categoryByCliName(name);
        if (!category) {
            std::cerr << "orvelle " << command << ": unknown category \"" << terminalText(name)
                      << "\"; known:";
            for (const auto& c : kCategories)
                std::cerr << ' ' << c.cliName;
            std::cerr << '\n';
            throw CLI::RuntimeError(kExitUsage);
        }
        if (category->kind != ItemKind::None) kinds.insert(category->kind);
    }
    return kinds;
}

ScanRequest scanRequestFor(const std::string& command, const BackupArguments& args,
                           const std::set<ItemKind>& categories) {
    ScanRequest request;
    request.categories = categories;
    const std::filesystem::path folder = requireBackupFolder(command, args.folder);
    const Status summary = readBackupFolder(folder, request.backup);
    reportRefusedSummary(command, args.folder, request.backup);
    if (summary != kStatusOk) {
        // A copied backup may have lost its Info.plist; the manifest still maps its files.
        request.backup = BackupInfo{};
        request.backup.encrypted = isEncryptedBackup(folder);
    }
    request.backup.folder = platform::pathText(folder);
    if (request.backup.encrypted) request.password = obtainPassword(args.passwordStdin);
    return request;
}

void refuseInsideBackup(const std::string& command, const std::filesystem::path& path,
                        const std::string& shown, const ScanRequest& request) {
    std::error_code ec;
    const std::filesystem::path relative = std::filesystem::weakly_canonical(path, ec).lexically_relative(
        std::filesystem::weakly_canonical(platform::utf8Path(request.backup.folder), ec));
    if (relative.empty() || *relative.begin() == "..") return;
    std::cerr << "orvelle " << command << ": " << terminalText(shown)
              << " lies inside the backup; nothing is ever written into a backup folder\n";
    throw CLI::RuntimeError(kExitUsage);
}

CommandScan::CommandScan(std::string command)
    : m_command(std::move(command)), m_store(std::make_unique<BackupStore>(commandStoreOptions())),
      m_bar(std::make_unique<Bar>()), m_scan(std::make_unique<ScanRun>(*m_store, m_bar.get())) {
    m_store->clearCandidates();
}

CommandScan::~CommandScan() {
    m_scan.reset();
}

CommandScanOutcome CommandScan::run(const ScanRequest& request) {
    const std::string& command = m_command;
    ScanRun& scan = *m_scan;
    Bar& bar = *m_bar;
    platform::catchInterrupts();
    if (scan.start(request) != kStatusOk) {
        std::cerr << "orvelle " << command << ": the scan could not be started\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    CommandScanOutcome outcome;
    // Wakes when the scan ends, and every 50 ms meanwhile to look for Ctrl+C.
    while (!scan.waitFinished(std::chrono::milliseconds(50))) {
        const int interrupts = platform::interruptCount();
        if (interrupts >= 2) {
            bar.clear();
            std::cerr << "orvelle " << command << ": interrupted\n";
            std::_Exit(kExitInterrupted); // the worker may be inside a read; nothing of ours needs flushing
        }
        if (interrupts == 1 && !outcome.stopped) {
            outcome.stopped = true;
            scan.requestStop();
            bar.clear();
            std::cerr << "orvelle " << command << ": stopping; press Ctrl+C again to quit at once\n";
        }
    }
    scan.wait();
    bar.clear();
    outcome.openStatus = scan.openResult();
    if (bar.passwordWasNeeded() || outcome.openStatus == kStatusWrongPassword) {
        std::cerr << "orvelle " << command << ": wrong password for " << terminalText(request.backup.folder)
                  << '\n';
        throw CLI::RuntimeError(kExitFailure);
    }
    if (bar.openHasFailed()) {
        const std::string& reason = m_store->openProblem();
        std::cerr << "orvelle " << command << ": " << terminalText(request.backup.folder)
                  << " could not be opened" << (reason.empty() ? std::string() : ": " + terminalText(reason))
                  << '\n';
        // A damaged keybag or manifest: the backup cannot be read at all.
        throw CLI::RuntimeError(outcome.openStatus == kStatusEncryptionDamaged ? kExitUnreadableBackup
                                                                               : kExitFailure);
    }
    if (outcome.openStatus == kStatusStopped) {
        // Ctrl+C while the backup was opened (its password key derived):
        // there are no results to show, partial or not.
        std::cerr << "orvelle " << command << ": interrupted while " << terminalText(request.backup.folder)
                  << " was being opened; nothing was read\n";
        throw CLI::RuntimeError(kExitInterrupted);
    }
    if (outcome.openStatus != kStatusOk && outcome.openStatus != kStatusStopped)
        std::cerr << "orvelle " << command << ": warning: " << terminalText(request.backup.folder) << ": "
                  << manifestStatusText(outcome.openStatus) << '\n';
    reportSkippedFiles(command, *m_store);
    return outcome;
}

int CommandScan::reportUnreadableCategories(const std::set<ItemKind>& asked) const {
    int unreadable = 0;
    for (const CategoryInfo& category : kCategories) {
        if (category.kind == ItemKind::None || asked.count(category.kind) == 0) continue;
        const CategoryOutcome outcome = m_scan->outcome(category.kind);
        if (outcome.state != CategoryState::unreadable) continue;
        ++unreadable;
        std::cerr << "orvelle " << m_command << ": warning: " << category.treeLabel
                  << " could not be read: " << terminalText(outcome.reason) << '\n';
    }
    return unreadable;
}

} // namespace orvelle::cli
