#include "cli/Command.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace orvelle::cli {

namespace {
std::vector<std::pair<int, CommandSetup>>& registry() {
    static std::vector<std::pair<int, CommandSetup>> commands;
    return commands;
}
} // namespace

CommandRegistrar::CommandRegistrar(int order, CommandSetup setup) { registry().emplace_back(order, setup); }

void setupCommands(CLI::App& app) {
    auto commands = registry();
    std::stable_sort(commands.begin(), commands.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [order, setup] : commands) setup(app);
}

std::string exitCodesText() {
    return "Exit codes:\n"
           "  0  done\n"
           "  1  failed (a file could not be written, a wrong password, ...)\n"
           "  2  wrong use: an unknown command, option or category\n"
           "  3  the backup could not be read at all: the path does not exist, is not a folder, "
           "holds no backup, or is encrypted with a damaged keybag or manifest\n"
           "  4  the backup was read, but a category asked for could not be (a damaged database or "
           "manifest); the others were shown or exported\n"
           "130  interrupted by Ctrl+C";
}

CLI::App* subcommandGroup(CLI::App& parent, const std::string& name, const std::string& description) {
    for (CLI::App* sub : parent.get_subcommands([](CLI::App*) { return true; }))
        if (sub->get_name() == name) return sub;
    CLI::App* group = parent.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

} // namespace orvelle::cli
