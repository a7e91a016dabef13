#include "platform/Process.h"

// The quoting every system shares; the process bodies live in
// ProcessPosix.cpp and ProcessWindows.cpp.

namespace orvelle::platform {

std::string quoteWindowsArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return std::string(argument);
    // Backslashes are literal except before a quote, where 2n (+1) of them
    // stand for n backslashes (and a literal quote).
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
            out += '"';
            backslashes = 0;
        } else {
            out.append(backslashes, '\\');
            out += c;
            backslashes = 0;
        }
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

} // namespace orvelle::platform
