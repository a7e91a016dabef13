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

OutputFile::~OutputFile() {
    std::error_code ignored;
    close(ignored);
}

OutputFile::OutputFile(OutputFile&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        std::error_code ignored;
        close(ignored);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool OutputFile::openWith(const std::filesystem::path& path, int flags, std::error_code& ec) {
    close(ec);
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (m_fd < 0) {
        ec = lastError();
        return false;
    }
    ec.clear();
    return true;
}

bool OutputFile::create(const std::filesystem::path& path, bool hidden, std::error_code& ec) {
    // POSIX systems have no hidden mark beyond a leading dot, which would change the name.
    (void)hidden;
    return openWith(path, O_TRUNC, ec);
}

bool OutputFile::createNew(const std::filesystem::path& path, std::error_code& ec) {
    return openWith(path, O_EXCL, ec);
}

bool OutputFile::close(std::error_code& ec) {
    ec.clear();
    if (m_fd < 0) return true;
    const int rc = ::close(m_fd);
    m_fd = -1;
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
        const ssize_t n = ::pwrite(m_fd, in + done, length - done, static_cast<off_t>(offset + done));
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
    if (m_fd < 0 || in.m_fd < 0) return false;
    loff_t from = static_cast<loff_t>(offset);
    loff_t to = static_cast<loff_t>(offset);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::copy_file_range(in.m_fd, &from, m_fd, &to, length - done, 0);
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
