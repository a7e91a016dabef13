#pragma once
/// Sub-commands of `orvelle` register themselves: each command file defines a
/// static CommandRegistrar whose setup function adds its sub-command (with
/// options and callback) to the application. main.cpp knows none of them.
///
/// A callback reports failure by throwing CLI::RuntimeError(exitCode) after
/// printing its message to standard error.

#include <CLI/CLI.hpp>

#include <string>

namespace orvelle::cli {

using CommandSetup = void (*)(CLI::App& app);

struct CommandRegistrar {
    /// `order` sorts the commands in the help text (lower first).
    CommandRegistrar(int order, CommandSetup setup);
};

/// Adds every registered command to `app`.
void setupCommands(CLI::App& app);

/// The sub-command `name` of `parent`, created with `description` when missing
/// (for command groups such as "sqlite").
CLI::App* subcommandGroup(CLI::App& parent, const std::string& name, const std::string& description);

/// Help of the sqlite commands' --no-wal flag.
constexpr const char* kNoLogHelp =
    "Read the database file alone: leave out the write-ahead log (DB-wal) beside it, which is otherwise "
    "applied as SQLite would (committed pages) and carved for deleted rows (the other page versions)";

/// Exit codes of the command line.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
/// The backup could not be read at all: the path does not exist, is not a
/// folder, holds no backup, or is encrypted with a damaged keybag or manifest.
constexpr int kExitUnreadableBackup = 3;
/// The backup was read, but a category asked for could not be (a damaged
/// database or manifest); the other categories were shown or exported.
constexpr int kExitUnreadableCategory = 4;

/// The exit codes as the help text and README list them.
std::string exitCodesText();

} // namespace orvelle::cli
