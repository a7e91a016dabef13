#pragma once
/// Runs the built `orvelle` program in end-to-end tests and captures what it
/// prints and its exit code.

#include "support/TempFolder.h"

#include <cstddef>
#include <string>

namespace orvelle::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs `program ARGS` through the shell, its data folder inside `temp` and
/// `env` (assignments such as "A=1 ") prepended. Standard input holds the
/// line `inputLine` when one is given, else nothing; standard error goes to
/// a file in `temp`.
CliRun runProgram(const std::string& program, const TempFolder& temp, const std::string& args,
                  const std::string& env = "", const std::string& inputLine = "");

/// How many times `part` occurs in `text` (overlaps included).
std::size_t occurrences(const std::string& text, const std::string& part);

} // namespace orvelle::test

#ifdef ORVELLE_CLI
namespace orvelle::test {
/// `orvelle ARGS` of this build.
inline CliRun orvelle(const TempFolder& temp, const std::string& args, const std::string& env = "",
                      const std::string& inputLine = "") {
    return runProgram(ORVELLE_CLI, temp, args, env, inputLine);
}
} // namespace orvelle::test
#endif
