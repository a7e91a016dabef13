#pragma once
/// What a command-line program does first so that text crosses its borders
/// as UTF-8: its arguments in, its standard output and error out.

#include <string>
#include <vector>

namespace orvelle::platform {

/// The program's arguments (the program's own name first) as UTF-8. On
/// Windows they are taken from the wide command line, since `argv` holds them
/// in the ANSI code page there; elsewhere `argv` is taken as it is.
std::vector<std::string> utf8Arguments(int argc, char** argv);

/// Standard output and error carry UTF-8 bytes unchanged: on Windows both are
/// put in binary mode (no "\r" before each "\n", which machine-read output
/// must not get) and a console shows UTF-8 until the program ends; elsewhere
/// nothing to do.
void useUtf8Output();

} // namespace orvelle::platform
