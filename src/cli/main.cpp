// orvelle: the command-line front end of the engine.

#include "cli/Command.h"

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    CLI::App app{"Orvelle: recover photos, messages, contacts, calls, notes and chats from iPhone and iPad "
                 "backups, deleted rows included.",
                 "orvelle"};
    app.require_subcommand(1);
    orvelle::cli::setupCommands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return orvelle::cli::kExitOk;
}
