#pragma once
// Scratch space of one fuzzing process: a file and a folder in $TMPDIR (or
// /tmp), made on first use and removed when the process ends. The fuzz
// targets build only with clang on Linux, so POSIX calls are fine here.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace orvelle::fuzz {

inline std::string scratchTemplate() {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/orvelle-fuzz-XXXXXX";
}

/// A file the target rewrites for every input.
inline const std::string& scratchFile() {
    static const std::string path = [] {
        std::string p = scratchTemplate();
        const int fd = ::mkstemp(p.data());
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] { std::remove(scratchFile().c_str()); });
        return p;
    }();
    return path;
}

/// A folder for targets that read files by their names.
inline const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path path = [] {
        std::string p = scratchTemplate();
        if (!::mkdtemp(p.data())) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchFolder(), ec);
        });
        return std::filesystem::path(p);
    }();
    return path;
}

} // namespace orvelle::fuzz
