#ifndef _WIN32

#include "platform/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelle::platform {

namespace {
std::error_code lastError() { return {errno, std::system_category()}; }
} // namespace

bool InputFile::open(const std::filesystem::path& path, std::error_code& ec, LinkRule links) {
    close();
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer that never
    // comes. It changes nothing for the regular files that are kept open.
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == LinkRule::refuse) flags |= O_NOFOLLOW;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        const int error = errno;
        // A refused link answers ELOOP (EMLINK on FreeBSD), a socket ENXIO or
        // EOPNOTSUPP: tell them apart from a real fault by what the name is.
        struct stat st {};
        if ((error == ELOOP || error == EMLINK || error == ENXIO || error == EOPNOTSUPP) &&
            ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            ec = FileRefusal::notRegularFile;
        else
            ec = {error, std::system_category()};
        return false;
    }
    m_handle = fd;
    // What was opened counts, not what the name was a moment before.
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ec = lastError();
        close();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ec = FileRefusal::notRegularFile;
        close();
        return false;
    }
    ec.clear();
    return true;
}

void InputFile::close() {
    if (m_handle != -1) ::close(static_cast<int>(m_handle));
    m_handle = -1;
}

std::uint64_t InputFile::size(std::error_code& ec) const {
    struct stat st {};
    if (m_handle == -1 || ::fstat(static_cast<int>(m_handle), &st) != 0) {
        ec = m_handle == -1 ? std::make_error_code(std::errc::bad_file_descriptor) : lastError();
        return 0;
    }
    ec.clear();
    return static_cast<std::uint64_t>(st.st_size);
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t length, std::error_code& ec) const {
    ec.clear();
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(static_cast<int>(m_handle), out + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            ec = lastError();
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool isRegularFile(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool pathExists(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace orvelle::platform

#endif
