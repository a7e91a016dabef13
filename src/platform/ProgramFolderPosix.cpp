#ifndef _WIN32

#include "platform/ProgramFolder.h"

#include <system_error>

namespace orvelle::platform {

std::filesystem::path executableFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) return {};
    return self.parent_path();
}

} // namespace orvelle::platform

#endif
