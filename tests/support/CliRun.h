#pragma once
/// Runs the built `orvelle` program in end-to-end tests and captures what it
/// prints and its exit code.

#include "support/TempFolder.h"

#include <string>

namespace orvelle::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs `program ARGS` through the shell with no standard input, its data
/// folder inside `temp` and `env` (assignments such as "A=1 ") prepended.
/// Standard error goes to a file in `temp`.
CliRun runProgram(const std::string& program, const TempFolder& temp, const std::string& args,
                  const std::string& env = "");

} // namespace orvelle::test

#ifdef ORVELLE_CLI
namespace orvelle::test {
/// `orvelle ARGS` of this build.
inline CliRun orvelle(const TempFolder& temp, const std::string& args, const std::string& env = "") {
    return runProgram(ORVELLE_CLI, temp, args, env);
}
} // namespace orvelle::test
#endif
