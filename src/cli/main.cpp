// orvelle: the command-line front end of the engine.

#include "cli/Command.h"
#include "platform/ProgramStart.h"

#include <clocale>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    orvelle::platform::useUtf8Output();
    // Arguments as UTF-8 on every system (paths in them go through utf8Path).
    std::vector<std::string> arguments = orvelle::platform::utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    CLI::App app{"Orvelle: recover photos, messages, contacts, calls, notes and chats from iPhone and iPad "
                 "backups, deleted rows included.",
                 "orvelle"};
    app.require_subcommand(1);
    orvelle::cli::setupCommands(app);
    try {
        app.parse(static_cast<int>(arguments.size()), pointers.data());
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return orvelle::cli::kExitOk;
}
