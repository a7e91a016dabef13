// orvelle-decrypt: decrypts an encrypted iPhone/iPad backup into a folder.
//
//   orvelle-decrypt BACKUP_FOLDER OUTPUT_FOLDER   (password on standard input)
//
// See backup/encryption/DecryptProtocol.h for what it prints and writes.

#include "backup/encryption/DecryptProtocol.h"
#include "decrypt/BackupDecrypter.h"
#include "decrypt/OrderedWork.h"
#include "decrypt/PasswordInput.h"
#include "platform/Signals.h"

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "usage: orvelle-decrypt BACKUP_FOLDER OUTPUT_FOLDER\n"
    "Decrypts an encrypted iPhone/iPad backup into OUTPUT_FOLDER (files flat under their file IDs,\n"
    "the decrypted manifest as Manifest.db-decypted). The password is read from standard input.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace orvelle;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return kDecryptExitOk;
    }
    if (argc != 3) {
        std::cerr << kUsage;
        if (argc > 3) std::cerr << "The password is read from standard input, not from the command line.\n";
        return kDecryptExitUsage;
    }
    std::optional<std::string> password = decrypt::readPassword(std::cin);
    if (!password) {
        std::cerr << "Error: the password on standard input is too long\n";
        return kDecryptExitUsage;
    }
    platform::catchInterrupts();
    decrypt::BackupDecrypter decrypter(argv[1], argv[2], std::cout, std::cout, decrypt::workThreadCount());
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
    case decrypt::BackupDecrypter::Outcome::Failed:
        break;
    }
    std::cout << "Error: " << error << std::endl;
    return kDecryptExitFailed;
}
