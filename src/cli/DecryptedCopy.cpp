#include "cli/DecryptedCopy.h"

#include "backup/encryption/BackupDecryption.h"
#include "cli/Command.h"
#include "cli/Password.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace orvelle::cli {

void printDecryptMessage(std::string_view line) {
    std::cerr << "orvelle-decrypt: " << line << '\n';
}

void failDecryption(Status status, const std::string& backupText) {
    if (status == kStatusWrongPassword)
        std::cerr << "orvelle: wrong password for the encrypted backup " << backupText << '\n';
    else
        std::cerr << "orvelle: " << backupText << " could not be decrypted\n";
    throw CLI::RuntimeError(kExitFailure);
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
    const Status status = decryptToScratch(
        request, password, progress, [](std::int32_t) { return 0; }, copy);
    if (status != kStatusOk) failDecryption(status, backupFolder.string());
    return copy;
}

} // namespace orvelle::cli
