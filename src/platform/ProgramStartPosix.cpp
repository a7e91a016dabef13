#ifndef _WIN32

#include "platform/ProgramStart.h"

namespace orvelle::platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc && argv[i]; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

void useUtf8Output() {}

} // namespace orvelle::platform

#endif
