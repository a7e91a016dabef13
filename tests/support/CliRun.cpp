#include "support/CliRun.h"

#include <cstdio>
#include <sys/wait.h>

namespace orvelle::test {

CliRun runProgram(const std::string& program, const TempFolder& temp, const std::string& args,
                  const std::string& env, const std::string& inputLine) {
    const auto errFile = temp / "stderr.txt";
    std::string input = "/dev/null";
    if (!inputLine.empty()) {
        const auto inputFile = temp / "stdin.txt";
        writeFile(inputFile, inputLine + "\n");
        input = "'" + inputFile.string() + "'";
    }
    const std::string command = "XDG_DATA_HOME='" + (temp / "xdg").string() + "' " + env + " '" + program +
                                "' " + args + " <" + input + " 2>'" + errFile.string() + "'";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = readFile(errFile);
    return run;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++n;
    return n;
}

} // namespace orvelle::test
