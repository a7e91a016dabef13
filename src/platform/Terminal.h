#pragma once
/// The user's terminal: is a stream a terminal, how wide is it, and reading a
/// password with the echo off.

#include <optional>
#include <string>

namespace orvelle::platform {

/// True when standard input is a terminal (not a pipe or a file).
bool standardInputIsTerminal();

/// True when standard error is a terminal (progress lines may be redrawn).
bool standardErrorIsTerminal();

/// Columns of the terminal on standard error; 0 when it is not a terminal
/// or the system cannot tell.
int standardErrorColumns();

/// Shows `prompt` on standard error and reads one line from the terminal on
/// standard input with the echo off (restored afterwards). Absent when
/// standard input is not a terminal or the input ended.
std::optional<std::string> readPasswordFromTerminal(const std::string& prompt);

} // namespace orvelle::platform
