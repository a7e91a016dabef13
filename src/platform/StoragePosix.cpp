#ifndef _WIN32

#include "platform/Storage.h"

namespace orvelle::platform {

std::optional<std::uint64_t> freeBytes(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::space_info info = std::filesystem::space(path, ec);
    if (ec || info.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
    return static_cast<std::uint64_t>(info.available);
}

std::vector<std::filesystem::path> scratchDriveRoots() {
    std::error_code ec;
    std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) return {};
    return {temp};
}

void setHidden(const std::filesystem::path&) {}

} // namespace orvelle::platform

#endif
