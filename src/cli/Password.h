#pragma once
/// The password of an encrypted backup on the command line: never an option
/// value (other users could read it in the process list), but one line of
/// standard input with --password-stdin, or a prompt on the terminal with the
/// echo off.

#include <CLI/CLI.hpp>
#include <string>

namespace orvelle::cli {

/// Adds the --password-stdin flag to `command`.
void addPasswordOption(CLI::App& command, bool& passwordStdin);

/// Reads the password as the flag says. Fails (message, CLI::RuntimeError)
/// when standard input is not a terminal and the flag is not given, or the
/// input ends before a password.
std::string obtainPassword(bool passwordStdin);

} // namespace orvelle::cli
