// orvelle-decrypt: decrypts an encrypted iPhone/iPad backup into a folder.
//
//   orvelle-decrypt BACKUP_FOLDER OUTPUT_FOLDER   (password on standard input)
//
// See backup/encryption/DecryptProtocol.h for what it prints and writes.

#include "backup/encryption/DecryptProtocol.h"
#include "core/TerminalText.h"
#include "decrypt/BackupDecrypter.h"
#include "decrypt/OrderedWork.h"
#include "decrypt/PasswordInput.h"
#include "platform/PathText.h"
#include "platform/ProgramStart.h"
#include "platform/Signals.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: orvelle-decrypt BACKUP_FOLDER OUTPUT_FOLDER\n"
    "Decrypts an encrypted iPhone/iPad backup into OUTPUT_FOLDER (files flat under their file IDs,\n"
    "the decrypted manifest as Manifest.db-decypted). The password is read from standard input.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace orvelle;
    // The protocol's lines must reach the parent without a "\r" added on Windows.
    platform::useUtf8Output();
    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    const std::size_t count = arguments.size();
    if (count == 2 && (arguments[1] == "--help" || arguments[1] == "-h")) {
        std::cout << kUsage;
        return kDecryptExitOk;
    }
    if (count != 3) {
        std::cerr << kUsage;
        if (count > 3) std::cerr << "The password is read from standard input, not from the command line.\n";
        return kDecryptExitUsage;
    }
    std::optional<std::string> password = decrypt::readPassword(std::cin);
    if (!password) {
        std::cerr << "Error: the password on standard input is too long\n";
        return kDecryptExitUsage;
    }
    platform::catchInterrupts();
    decrypt::BackupDecrypter decrypter(platform::utf8Path(arguments[1]), platform::utf8Path(arguments[2]), std::cout,
                                       std::cout, std::cerr, decrypt::workThreadCount());
    std::string error;
    switch (decrypter.run(*password, error)) {
    case decrypt::BackupDecrypter::Outcome::Ok:
        if (decrypter.skippedCount() > 0) std::cout << "Skipped files: " << decrypter.skippedCount() << '\n';
        return kDecryptExitOk;
    case decrypt::BackupDecrypter::Outcome::WrongPassword:
        std::cout << kWrongPasswordText << std::endl;
        return kDecryptExitWrongPassword;
    case decrypt::BackupDecrypter::Outcome::Interrupted:
        std::cout << "Error: interrupted; the files written so far were removed" << std::endl;
        return kDecryptExitInterrupted;
    case decrypt::BackupDecrypter::Outcome::Damaged:
        std::cout << kErrorText << ' ' << terminalText(error) << std::endl;
        return kDecryptExitDamaged;
    case decrypt::BackupDecrypter::Outcome::Failed:
        break;
    }
    std::cout << kErrorText << ' ' << terminalText(error) << std::endl;
    return kDecryptExitFailed;
}
