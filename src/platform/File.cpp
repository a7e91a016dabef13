#include "platform/File.h"

#include "platform/OutputFile.h"

#include <new>

// What does not depend on the system; the system calls live in
// FilePosix.cpp and FileWindows.cpp.

namespace orvelle::platform {

namespace {

class FileRefusalCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "orvelle.file"; }
    std::string message(int value) const override {
        switch (static_cast<FileRefusal>(value)) {
        case FileRefusal::notRegularFile:
            return "not a regular file";
        case FileRefusal::linkedFolder:
            return "the folder is a link or not a folder";
        }
        return "refused";
    }
};

} // namespace

const std::error_category& fileRefusalCategory() {
    static const FileRefusalCategory category;
    return category;
}

std::error_code make_error_code(FileRefusal refusal) {
    return {static_cast<int>(refusal), fileRefusalCategory()};
}

bool isNotRegularFile(const std::error_code& ec) {
    return ec == FileRefusal::notRegularFile;
}

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

bool readWholeFile(const std::filesystem::path& path, std::string& out, std::error_code& ec, LinkRule links) {
    InputFile file;
    if (!file.open(path, ec, links)) return false;
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
