#ifdef _WIN32

#include "platform/ProgramStart.h"

#include "platform/WindowsInternal.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

namespace orvelle::platform {

namespace {

UINT g_savedOutputCodePage = 0;

void restoreOutputCodePage() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (g_savedOutputCodePage != 0) ::SetConsoleOutputCP(g_savedOutputCodePage);
}

} // namespace

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr) {
        // The system could not split its own command line: take what we were given.
        for (int i = 0; i < argc && argv[i]; ++i)
            arguments.emplace_back(argv[i]);
        return arguments;
    }
    for (int i = 0; i < count; ++i)
        arguments.push_back(windows::narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void useUtf8Output() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The console keeps its code page after we end: put the old one back then.
    const UINT current = ::GetConsoleOutputCP();
    if (current != 0 && current != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
        g_savedOutputCodePage = current;
        std::atexit(restoreOutputCodePage);
    }
}

} // namespace orvelle::platform

#endif
