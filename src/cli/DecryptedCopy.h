#pragma once
/// Decrypting a backup for a command: runs the decryption program with the
/// user's password and reports what it says on standard error.

#include "core/Status.h"

#include <filesystem>
#include <string>

namespace orvelle::cli {

/// Decrypts the encrypted backup `backupFolder` into `outputFolder`, the
/// store's decryptedCopyFolder() (the store removes the copy when it goes
/// away). Returns the copy's folder. Fails (message, CLI::RuntimeError) on a
/// wrong password, when the program fails, or on a Ctrl+C or terminate
/// request while it runs (see failDecryption). Interrupts are caught while
/// the program runs only.
std::filesystem::path decryptIntoScratchForCommand(const std::filesystem::path& outputFolder,
                                                   const std::filesystem::path& backupFolder,
                                                   bool passwordStdin);

/// The message and exit for a decryption that did not succeed (throws
/// CLI::RuntimeError): kExitInterrupted after a stop, kExitUnreadableBackup
/// for a damaged keybag or manifest, kExitFailure otherwise.
[[noreturn]] void failDecryption(Status status, const std::string& backupText);

/// Prints one line of the decryption program (skipped files, errors) as a warning.
void printDecryptMessage(std::string_view line);

} // namespace orvelle::cli
