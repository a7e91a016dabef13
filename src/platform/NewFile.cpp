#include "platform/NewFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace orvelle::platform {

bool createNewFile(const std::filesystem::path& path, std::error_code& ec) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        ec = std::error_code(errno, std::system_category());
        return false;
    }
    ::close(fd);
    ec.clear();
    return true;
}

} // namespace orvelle::platform
