#include "platform/OutputFile.h"

// What does not depend on the system; the system calls live in
// OutputFilePosix.cpp and OutputFileWindows.cpp.

namespace orvelle::platform {

OutputFile::~OutputFile() {
    std::error_code ignored;
    close(ignored);
}

OutputFile::OutputFile(OutputFile&& other) noexcept : m_handle(other.m_handle) {
    other.m_handle = -1;
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        std::error_code ignored;
        close(ignored);
        m_handle = other.m_handle;
        other.m_handle = -1;
    }
    return *this;
}

bool OutputFile::create(const std::filesystem::path& path, bool hidden, std::error_code& ec) {
    return openWith(path, true, hidden, ec);
}

bool OutputFile::createNew(const std::filesystem::path& path, std::error_code& ec) {
    return openWith(path, false, false, ec);
}

} // namespace orvelle::platform
