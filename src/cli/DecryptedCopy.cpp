#include "cli/DecryptedCopy.h"

#include "backup/encryption/BackupDecryption.h"
#include "cli/Command.h"
#include "cli/CommandScan.h"
#include "cli/Password.h"
#include "core/TerminalText.h"
#include "platform/Signals.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace orvelle::cli {

void printDecryptMessage(std::string_view line) {
    std::cerr << "orvelle-decrypt: " << terminalText(line) << '\n';
}

void failDecryption(Status status, const std::string& backupText) {
    switch (status) {
    case kStatusWrongPassword:
        std::cerr << "orvelle: wrong password for the encrypted backup " << backupText << '\n';
        throw CLI::RuntimeError(kExitFailure);
    case kStatusStopped:
        std::cerr << "orvelle: interrupted; nothing of " << backupText << " was kept decrypted\n";
        throw CLI::RuntimeError(kExitInterrupted);
    case kStatusEncryptionDamaged:
        // The program's own line above says which part and how.
        std::cerr << "orvelle: " << backupText
                  << " cannot be decrypted with any password: its keybag or manifest is damaged\n";
        throw CLI::RuntimeError(kExitUnreadableBackup);
    default:
        std::cerr << "orvelle: " << backupText << " could not be decrypted\n";
        throw CLI::RuntimeError(kExitFailure);
    }
}

std::filesystem::path decryptIntoScratchForCommand(const std::filesystem::path& outputFolder,
                                                   const std::filesystem::path& backupFolder,
                                                   bool passwordStdin) {
    const std::string password = obtainPassword(passwordStdin);
    ScratchDecryption request;
    request.outputFolder = outputFolder;
    request.backupFolder = backupFolder;
    request.messages = printDecryptMessage;
    std::int32_t progress = 0;
    std::filesystem::path copy;
    // A Ctrl+C or terminate request while the copy is made (its password key
    // derived) tells the program to end, and the copy goes with the store;
    // afterwards the command may be ended at once again, as before.
    platform::catchInterrupts();
    Status status = decryptToScratch(
        request, password, progress,
        [](std::int32_t) -> std::int32_t { return platform::interruptRequested() ? kStatusStopped : 0; },
        copy);
    platform::releaseInterrupts();
    if (platform::interruptRequested()) status = kStatusStopped;
    if (status != kStatusOk) failDecryption(status, terminalText(backupFolder.string()));
    return copy;
}

} // namespace orvelle::cli
