#ifndef _WIN32

#include "platform/OutputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelle::platform {

namespace {
std::error_code lastError() {
    return {errno, std::system_category()};
}
} // namespace

bool OutputFile::openWith(const std::filesystem::path& path, bool replace, bool hidden, std::error_code& ec) {
    close(ec);
    // POSIX systems have no hidden mark beyond a leading dot, which would change the name.
    (void)hidden;
    const mode_t mode = m_privateToUser ? S_IRUSR | S_IWUSR : 0644;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL), mode);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    // The mode given to open applies to a new file only, and after the umask.
    if (m_privateToUser && ::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        ec = lastError();
        ::close(fd);
        return false;
    }
    m_handle = fd;
    ec.clear();
    return true;
}

bool OutputFile::close(std::error_code& ec) {
    ec.clear();
    if (m_handle == -1) return true;
    const int rc = ::close(static_cast<int>(m_handle));
    m_handle = -1;
    if (rc != 0) {
        ec = lastError();
        return false;
    }
    return true;
}

bool OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t length, std::error_code& ec) {
    ec.clear();
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pwrite(static_cast<int>(m_handle), in + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            ec = lastError();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool OutputFile::copyFrom(const InputFile& in, std::uint64_t offset, std::size_t length) {
#if defined(__linux__)
    if (m_handle == -1 || in.m_handle == -1) return false;
    loff_t from = static_cast<loff_t>(offset);
    loff_t to = static_cast<loff_t>(offset);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::copy_file_range(static_cast<int>(in.m_handle), &from, static_cast<int>(m_handle), &to,
                                            length - done, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false; // not supported here, an error, or the end of the source
        done += static_cast<std::size_t>(n);
    }
    return true;
#else
    (void)in, (void)offset, (void)length;
    return false;
#endif
}

bool removeFile(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) == 0) return true;
    return errno == ENOENT;
}

} // namespace orvelle::platform

#endif
