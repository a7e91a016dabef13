// orvelle-test-child STEP...: a small program for the tests of the process
// layer, the same on every system (no shell needed). It runs its steps in
// order:
//   echo TEXT        writes TEXT and a line end to standard output
//   echo-error TEXT  writes TEXT and a line end to standard error
//   copy-input       copies standard input to standard output until its end
//   close-input      closes standard input
//   watch-stop       from now on a stop request (SIGTERM, or the parent's
//                    stop event on Windows) ends `sleep` with exit code 143
//   sleep MS         waits MS milliseconds
//   exit CODE        ends with exit code CODE
// and ends with exit code 0 after the last step, or 2 on a step it does not know.

#include "platform/ProgramStart.h"
#include "platform/Signals.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// The exit code of a process ended by SIGTERM, as the process layer reports it.
constexpr int kStoppedExitCode = 128 + 15;

void writeLine(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv) {
    namespace platform = orvelle::platform;
    const std::vector<std::string> args = platform::utf8Arguments(argc, argv);
    platform::useUtf8Output();
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    bool watchStop = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& step = args[i];
        const bool hasValue = i + 1 < args.size();
        if (step == "echo" && hasValue) {
            writeLine(stdout, args[++i]);
        } else if (step == "echo-error" && hasValue) {
            writeLine(stderr, args[++i]);
        } else if (step == "copy-input") {
            char buffer[4096];
            std::size_t n = 0;
            while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
                std::fwrite(buffer, 1, n, stdout);
            std::fflush(stdout);
        } else if (step == "close-input") {
            std::fclose(stdin);
        } else if (step == "watch-stop") {
            platform::catchInterrupts();
            watchStop = true;
        } else if (step == "sleep" && hasValue) {
            const auto until =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(args[++i].c_str()));
            while (std::chrono::steady_clock::now() < until) {
                if (watchStop && platform::interruptRequested()) return kStoppedExitCode;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        } else if (step == "exit" && hasValue) {
            return std::atoi(args[++i].c_str());
        } else {
            std::cerr << "orvelle-test-child: unknown step " << step << '\n';
            return 2;
        }
    }
    return 0;
}
