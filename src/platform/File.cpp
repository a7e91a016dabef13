#include "platform/File.h"

#include "platform/OutputFile.h"

#include <new>

// What does not depend on the system; the system calls live in
// FilePosix.cpp and FileWindows.cpp.

namespace orvelle::platform {

InputFile::~InputFile() { close(); }

InputFile::InputFile(InputFile&& other) noexcept : m_handle(other.m_handle) { other.m_handle = -1; }

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = -1;
    }
    return *this;
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
    OutputFile file;
    if (!file.create(path, false, ec)) return false;
    if (!file.writeAt(0, data.data(), data.size(), ec)) {
        std::error_code ignored;
        file.close(ignored);
        return false;
    }
    return file.close(ec);
}

} // namespace orvelle::platform
