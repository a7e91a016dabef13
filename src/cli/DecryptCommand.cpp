// orvelle decrypt: a decrypted copy of an encrypted backup, for users who only
// want the files (flat under their file IDs, with the decrypted manifest).

#include "backup/encryption/BackupDecryption.h"
#include "backup/encryption/EncryptedBackupListing.h"
#include "cli/Command.h"
#include "cli/DecryptedCopy.h"
#include "cli/Password.h"
#include "core/TerminalText.h"
#include "platform/PathText.h"
#include "platform/Signals.h"
#include "platform/Terminal.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace orvelle::cli {

namespace {

struct DecryptOptions {
    std::string backup;
    std::string output;
    bool passwordStdin = false;
};

std::filesystem::path absolutePath(const std::string& text) {
    std::error_code ec;
    auto path = platform::utf8Path(text);
    if (auto absolute = std::filesystem::absolute(path, ec); !ec) path = absolute.lexically_normal();
    return path;
}

void runDecrypt(const DecryptOptions& options) {
    const std::filesystem::path backup = absolutePath(options.backup);
    std::error_code ec;
    if (!std::filesystem::is_directory(backup, ec)) {
        std::cerr << "orvelle: " << terminalText(options.backup) << " is not a folder\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    const std::string password = obtainPassword(options.passwordStdin);
    std::vector<std::filesystem::path> files;
    listEncryptedBackupFiles(backup, files);

    DecryptRun run;
    run.program = defaultDecryptProgram();
    run.backupFolder = backup;
    run.outputFolder = absolutePath(options.output);
    run.backupFileCount = files.size();
    run.messages = printDecryptMessage;
    const bool showProgress = platform::standardErrorIsTerminal();
    std::int32_t progress = 0;
    // Ctrl+C or a terminate request: the program is told to end (a Ctrl+C
    // in a terminal reaches it as well) and removes what it wrote.
    platform::catchInterrupts();
    const Status status = decryptBackup(run, password, progress, [&](std::int32_t value) -> std::int32_t {
        if (platform::interruptRequested()) return kStatusStopped;
        // value runs from 1 to 1 + step as the files are done
        if (showProgress && value >= 1)
            std::cerr << "\rDecrypting: " << std::min(100, (value - 1) * 100 / run.step) << "%" << std::flush;
        return 0;
    });
    if (showProgress) std::cerr << '\n';
    if (status != kStatusOk) failDecryption(status, terminalText(options.backup));
    std::cout << "Decrypted " << terminalText(options.backup) << " into "
              << terminalText(platform::pathText(run.outputFolder)) << '\n';
}

void setup(CLI::App& app) {
    auto options = std::make_shared<DecryptOptions>();
    CLI::App* cmd = app.add_subcommand(
        "decrypt",
        "Decrypt an encrypted backup into a folder (files flat under their file IDs, the decrypted "
        "manifest as Manifest.db-decypted); the backup itself is only read");
    cmd->add_option("BACKUP", options->backup, "The encrypted backup folder")->required();
    cmd->add_option("OUTPUT", options->output, "The folder that receives the decrypted copy")->required();
    addPasswordOption(*cmd, options->passwordStdin);
    cmd->callback([options] { runDecrypt(*options); });
}

const CommandRegistrar registrar(60, setup);

} // namespace

} // namespace orvelle::cli
