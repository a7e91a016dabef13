#include "cli/Password.h"

#include "cli/Command.h"
#include "platform/Terminal.h"

#include <iostream>

namespace orvelle::cli {

void addPasswordOption(CLI::App& command, bool& passwordStdin) {
    command.add_flag("--password-stdin", passwordStdin,
                     "Read the password of an encrypted backup from standard input (one line) instead of "
                     "asking on the terminal");
}

std::string obtainPassword(bool passwordStdin) {
    if (passwordStdin) {
        std::string line;
        if (!std::getline(std::cin, line) && line.empty()) {
            std::cerr << "orvelle: --password-stdin: no password on standard input\n";
            throw CLI::RuntimeError(kExitFailure);
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    if (!platform::standardInputIsTerminal()) {
        std::cerr << "orvelle: the backup is encrypted: give its password with --password-stdin\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    auto password = platform::readPasswordFromTerminal("Backup password: ");
    if (!password) {
        std::cerr << "orvelle: no password given\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    return *password;
}

} // namespace orvelle::cli
