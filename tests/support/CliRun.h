#pragma once
/// Runs the built `orvelle` program in end-to-end tests and captures what it
/// prints and its exit code.

#include "support/TempFolder.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Environment variables for one run: name and value.
using Variables = std::vector<std::pair<std::string, std::string>>;

/// The folder that programs started by runProgram take for the user's
/// application data ($XDG_DATA_HOME on Linux, %APPDATA% on Windows): a
/// folder inside `temp`, so that their data folder is
/// dataHome(temp) / "QuorilOrvelle".
std::filesystem::path dataHome(const TempFolder& temp);

/// `path` as a program argument (its UTF-8 text).
std::string arg(const std::filesystem::path& path);

/// Runs `program` with `args` (a list, no shell in between), the user's
/// application data inside `temp` (see dataHome) and `env` set for the run.
/// Standard input holds the line `inputLine` when one is given, else
/// nothing; standard error is kept apart from standard output (through a file
/// in `temp`). The exit code is -1 when the program could not be started.
CliRun runProgram(const std::filesystem::path& program, const TempFolder& temp,
                  const std::vector<std::string>& args, const Variables& env = {},
                  const std::string& inputLine = "");

/// `text` as it stands inside a JSON string (Windows paths hold backslashes).
std::string jsonText(const std::string& text);

/// How many times `part` occurs in `text` (overlaps included).
std::size_t occurrences(const std::string& text, const std::string& part);

} // namespace orvelle::test

#ifdef ORVELLE_CLI
namespace orvelle::test {
/// `orvelle ARGS` of this build.
inline CliRun orvelle(const TempFolder& temp, const std::vector<std::string>& args, const Variables& env = {},
                      const std::string& inputLine = "") {
    return runProgram(ORVELLE_CLI, temp, args, env, inputLine);
}
} // namespace orvelle::test
#endif
