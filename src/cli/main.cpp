// orvelle: the command-line front end of the engine.

#include "cli/Command.h"
#include "platform/ProgramStart.h"

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

namespace {

/// The names of the sub-commands of `app`, comma separated.
std::string commandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; }))
        names += (names.empty() ? "" : ", ") + command->get_name();
    return names;
}

/// Says which commands exist when `arguments` names none of them (CLI11 would
/// only say that an argument was not expected). Answers true when it did.
bool reportUnknownCommand(const CLI::App& app, const std::vector<std::string>& arguments) {
    const CLI::App* level = &app;
    std::string path = "orvelle";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.empty() || word[0] == '-') return false;
        const auto commands = level->get_subcommands([](const CLI::App*) { return true; });
        if (commands.empty()) return false;
        const CLI::App* next = nullptr;
        for (const CLI::App* command : commands)
            if (command->get_name() == word) next = command;
        if (!next) {
            std::cerr << path << ": unknown command \"" << word << "\"; the commands are: " << commandNames(*level)
                      << "\n(" << path << " --help tells more)\n";
            return true;
        }
        level = next;
        path += " " + word;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    orvelle::platform::useUtf8Output();
    // Arguments as UTF-8 on every system (paths in them go through utf8Path).
    std::vector<std::string> arguments = orvelle::platform::utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    CLI::App app{"Orvelle " ORVELLE_VERSION ": recover photos, messages, contacts, calls, notes and chats from "
                 "iPhone and iPad backups, deleted rows included.",
                 "orvelle"};
    app.set_version_flag("--version", "orvelle " ORVELLE_VERSION);
    app.footer(orvelle::cli::exitCodesText());
    app.require_subcommand(1);
    orvelle::cli::setupCommands(app);
    if (reportUnknownCommand(app, arguments)) return orvelle::cli::kExitUsage;
    try {
        app.parse(static_cast<int>(arguments.size()), pointers.data());
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return orvelle::cli::kExitOk;
}
