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

CLI::App* subcommandGroup(CLI::App& parent, const std::string& name, const std::string& description) {
    for (CLI::App* sub : parent.get_subcommands([](CLI::App*) { return true; }))
        if (sub->get_name() == name) return sub;
    CLI::App* group = parent.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

} // namespace orvelle::cli
