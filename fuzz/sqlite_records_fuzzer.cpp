// libFuzzer target: any byte string, opened as a database file, through every
// part of the SQLite record engine.

#include "ExerciseEngine.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One scratch file per process, rewritten for every input.
const std::string& scratchPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + "/orvelle-fuzz-XXXXXX";
        const int fd = ::mkstemp(p.data());
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] { std::remove(scratchPath().c_str()); });
        return p;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = scratchPath();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);
    volatile std::uint64_t sink = orvelle::fuzz::exerciseDatabase(path);
    (void)sink;
    return 0;
}
