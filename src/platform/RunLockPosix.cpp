#ifndef _WIN32

#include "platform/RunLock.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelle::platform {

namespace {

std::error_code lastError() {
    return {errno, std::system_category()};
}

// flock, not fcntl: its lock belongs to the open file, so a second open of
// the marker in this same process (a second store) sees it held too, and
// closing another descriptor of the file does not drop it.
bool lockNow(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR) return false;
    return true;
}

} // namespace

RunLock::~RunLock() {
    release();
}

bool RunLock::create(const std::filesystem::path& folder, std::string_view markerName, std::error_code& ec) {
    release();
    const std::filesystem::path marker = folder / std::string(markerName);
    const std::filesystem::path pending = folder / (std::string(markerName) + ".new");
    const int fd = ::open(pending.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    // Locked under a name no later run looks at, then renamed: the lock
    // stays with the open file across the rename.
    if (!lockNow(fd) || ::rename(pending.c_str(), marker.c_str()) != 0) {
        ec = lastError();
        ::close(fd);
        ::unlink(pending.c_str());
        return false;
    }
    m_handle = fd;
    ec.clear();
    return true;
}

bool RunLock::takeOver(const std::filesystem::path& marker) {
    release();
    const int fd = ::open(marker.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || !lockNow(fd)) {
        ::close(fd);
        return false;
    }
    m_handle = fd;
    return true;
}

void RunLock::release() {
    if (m_handle == -1) return;
    ::close(static_cast<int>(m_handle)); // closing the last descriptor drops the lock
    m_handle = -1;
}

} // namespace orvelle::platform

#endif
