#include "platform/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelle::platform {

namespace {
std::error_code lastError() { return {errno, std::system_category()}; }
} // namespace

InputFile::~InputFile() { close(); }

InputFile::InputFile(InputFile&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool InputFile::open(const std::filesystem::path& path, std::error_code& ec) {
    close();
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        ec = lastError();
        return false;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ec = S_ISDIR(st.st_mode) ? std::make_error_code(std::errc::is_a_directory) : lastError();
        close();
        return false;
    }
    ec.clear();
    return true;
}

void InputFile::close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

std::uint64_t InputFile::size(std::error_code& ec) const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        ec = m_fd < 0 ? std::make_error_code(std::errc::bad_file_descriptor) : lastError();
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
        const ssize_t n = ::pread(m_fd, out + done, length - done, static_cast<off_t>(offset + done));
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

bool readWholeFile(const std::filesystem::path& path, std::string& out, std::error_code& ec) {
    InputFile file;
    if (!file.open(path, ec)) return false;
    const std::uint64_t size = file.size(ec);
    if (ec) return false;
    try {
        out.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        ec = std::make_error_code(std::errc::not_enough_memory);
        return false;
    }
    const std::size_t got = file.readAt(0, out.data(), out.size(), ec);
    out.resize(got);
    return !ec;
}

bool writeWholeFile(const std::filesystem::path& path, std::string_view data, std::error_code& ec) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ec = lastError();
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        ec = lastError();
        return false;
    }
    ec.clear();
    return true;
}

bool isRegularFile(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace orvelle::platform
