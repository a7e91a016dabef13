#ifndef _WIN32

#include "platform/Terminal.h"

#include <cstdio>
#include <iostream>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvelle::platform {

bool standardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

int standardErrorColumns() {
    winsize size{};
    if (::isatty(STDERR_FILENO) != 1 || ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

std::optional<std::string> readPasswordFromTerminal(const std::string& prompt) {
    if (!standardInputIsTerminal()) return std::nullopt;
    std::cerr << prompt << std::flush;
    termios saved{};
    const bool haveSettings = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (haveSettings) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (haveSettings) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    if (!got) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace orvelle::platform

#endif
