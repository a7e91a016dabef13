#ifdef _WIN32

#include "platform/Terminal.h"

#include "platform/WindowsInternal.h"

#include <windows.h>

#include <iostream>

namespace orvelle::platform {

namespace {

// A console, not a pipe, a file or the NUL device (which is a character
// device too, but has no console mode).
bool isConsole(DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) == FILE_TYPE_CHAR &&
           ::GetConsoleMode(handle, &mode);
}

// The longest password line taken from the console; the rest is dropped.
constexpr std::size_t kMaxLineChars = 64 * 1024;

} // namespace

bool standardInputIsTerminal() {
    return isConsole(STD_INPUT_HANDLE);
}

bool standardErrorIsTerminal() {
    return isConsole(STD_ERROR_HANDLE);
}

int standardErrorColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

std::optional<std::string> readPasswordFromTerminal(const std::string& prompt) {
    if (!standardInputIsTerminal()) return std::nullopt;
    std::cerr << prompt << std::flush;
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    const bool haveMode = ::GetConsoleMode(input, &saved) != 0;
    if (haveMode)
        ::SetConsoleMode(input, (saved & ~DWORD{ENABLE_ECHO_INPUT}) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    // Read as UTF-16 from the console itself, so letters outside the console's
    // code page arrive intact.
    std::wstring line;
    bool ended = false;
    for (;;) {
        wchar_t buffer[256];
        DWORD got = 0;
        if (!::ReadConsoleW(input, buffer, 256, &got, nullptr) || got == 0) {
            ended = true;
            break;
        }
        const std::wstring_view chunk(buffer, got);
        const std::size_t newline = chunk.find(L'\n');
        if (line.size() < kMaxLineChars) line.append(chunk.substr(0, newline));
        if (newline != std::wstring_view::npos) break;
    }
    if (haveMode) ::SetConsoleMode(input, saved);
    std::cerr << '\n' << std::flush; // the Enter the echo did not show
    // Ctrl+Z at the start of a line is the console's end of input.
    if (ended || (!line.empty() && line.front() == L'\x1A')) return std::nullopt;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    return windows::narrow(line);
}

} // namespace orvelle::platform

#endif
