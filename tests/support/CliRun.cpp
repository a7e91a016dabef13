#include "support/CliRun.h"

#include "platform/PathText.h"
#include "platform/Process.h"
#include "support/Environment.h"

#include <list>

namespace orvelle::test {

namespace {
// The variable that names the user's application-data folder.
#ifdef _WIN32
constexpr const char* kDataHomeVariable = "APPDATA";
#else
constexpr const char* kDataHomeVariable = "XDG_DATA_HOME";
#endif

// How long one wait for output lasts before the loop looks again.
constexpr int kReadWaitMs = 1000;
constexpr std::size_t kReadChunk = 1 << 16;
} // namespace

std::filesystem::path dataHome(const TempFolder& temp) {
    return temp / "xdg";
}

std::string arg(const std::filesystem::path& path) {
    return platform::pathText(path);
}

CliRun runProgram(const std::filesystem::path& program, const TempFolder& temp,
                  const std::vector<std::string>& args, const Variables& env, const std::string& inputLine) {
    // The child inherits this process's environment: set it for the run only.
    std::list<ScopedVariable> variables;
    variables.emplace_back(kDataHomeVariable, arg(dataHome(temp)).c_str());
    for (const auto& [name, value] : env)
        variables.emplace_back(name, value.c_str());

    const auto errFile = temp / "stderr.txt";
    CliRun run;
    platform::ChildProcess child;
    child.setErrorFile(errFile);
    std::error_code ec;
    if (!child.start(program, args, ec)) {
        run.err = "cannot start " + arg(program) + ": " + ec.message();
        return run;
    }
    if (!inputLine.empty()) child.writeInput(inputLine + "\n");
    child.closeInput();
    for (;;) {
        const auto status = child.readOutput(run.out, kReadChunk, kReadWaitMs);
        if (status == platform::ChildProcess::ReadStatus::EndOfOutput ||
            status == platform::ChildProcess::ReadStatus::Failed)
            break;
    }
    run.exitCode = child.wait();
    run.err = readFile(errFile);
    return run;
}

std::string jsonText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++n;
    return n;
}

} // namespace orvelle::test
