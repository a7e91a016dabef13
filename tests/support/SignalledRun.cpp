#ifndef _WIN32

#include "support/SignalledRun.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvelle::test {

namespace {

constexpr auto kLongestRun = std::chrono::seconds(60);

// Reads what is ready on `fd` into `out`, waiting up to `waitMs`; false at the end of output.
bool readSome(int fd, std::string& out, int waitMs) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, waitMs);
    if (ready <= 0) return true;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        out.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && errno == EINTR;
}

} // namespace

SignalledRun runAndSignal(const std::filesystem::path& program, const std::vector<std::string>& args,
                          const std::string& inputLine,
                          const std::vector<std::pair<std::string, std::string>>& env,
                          std::chrono::milliseconds delay, int signal, SignalTarget target) {
    // Everything the child needs is made before fork().
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const auto& [name, value] : env)
            replaced = replaced || entry.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced) envStrings.push_back(entry);
    }
    for (const auto& [name, value] : env)
        envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int input[2];
    int output[2];
    if (::pipe(input) != 0 || ::pipe(output) != 0) throw std::runtime_error("runAndSignal: no pipe");
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("runAndSignal: fork failed");
    if (child == 0) {
        ::setpgid(0, 0);
        ::dup2(input[0], 0);
        ::dup2(output[1], 1);
        ::dup2(output[1], 2);
        ::close(input[0]);
        ::close(input[1]);
        ::close(output[0]);
        ::close(output[1]);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::setpgid(child, child); // also here, so the group exists before the signal
    ::close(input[0]);
    ::close(output[1]);
    const std::string line = inputLine + "\n";
    // A program that ended early closed its end: no SIGPIPE for the test.
    const auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
    [[maybe_unused]] const ssize_t written = ::write(input[1], line.data(), line.size());
    std::signal(SIGPIPE, oldPipe);
    ::close(input[1]);

    SignalledRun run;
    const auto start = std::chrono::steady_clock::now();
    bool open = true;
    while (open && std::chrono::steady_clock::now() - start < delay)
        open = readSome(output[0], run.output, 10);
    const auto signalled = std::chrono::steady_clock::now();
    ::kill(target == SignalTarget::ProcessGroup ? -child : child, signal);
    while (open && std::chrono::steady_clock::now() - signalled < kLongestRun)
        open = readSome(output[0], run.output, 50);
    if (open) ::kill(-child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.secondsToEnd = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    ::close(output[0]);
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.endingSignal = WTERMSIG(status);
    if (open) throw std::runtime_error("runAndSignal: the program did not end within a minute of the signal");
    return run;
}

} // namespace orvelle::test

#endif
