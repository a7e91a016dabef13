#pragma once
/// Runs a program and sends it a signal part-way, as a Ctrl+C in a terminal
/// or a `kill` would (POSIX systems only; Windows has no signals to send):
/// for the tests of what an interrupt does to a running program.

#ifndef _WIN32

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::test {

/// Who gets the signal.
enum class SignalTarget {
    ProcessGroup, ///< the program and every child it started, as Ctrl+C in a terminal does
    ProgramOnly,  ///< the program alone, as `kill PID` does: it must pass the request on
};

struct SignalledRun {
    int exitCode = -1;       ///< the code it exited with; -1 when a signal ended it
    int endingSignal = 0;    ///< the signal that ended it without a handler, else 0
    double secondsToEnd = 0; ///< from the signal to the program's end
    std::string output;      ///< standard output and standard error together
};

/// Starts `program` with `args` in a process group of its own, with
/// `inputLine` and a newline on its standard input and `env` added to its
/// environment; after `delay` sends `signal` to `target`, then waits for the
/// end (a program still running after a minute is killed, and the run fails).
SignalledRun runAndSignal(const std::filesystem::path& program, const std::vector<std::string>& args,
                          const std::string& inputLine,
                          const std::vector<std::pair<std::string, std::string>>& env,
                          std::chrono::milliseconds delay, int signal, SignalTarget target);

} // namespace orvelle::test

#endif
