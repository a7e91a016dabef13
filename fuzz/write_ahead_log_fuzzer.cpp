// libFuzzer target: a database and the write-ahead log beside it (see
// ExerciseLog.h for how one input holds both), through the page reader and
// every part of the carving driver.

#include "ExerciseLog.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One scratch database per process (its log beside it), rewritten for every
// input. Never destroyed, so the removal at exit can still name it.
const std::string& scratchPath() {
    static const std::string& path = *new std::string([] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + "/orvelle-fuzz-log-XXXXXX";
        const int fd = ::mkstemp(p.data());
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] {
            std::remove(scratchPath().c_str());
            std::remove((scratchPath() + "-wal").c_str());
        });
        return p;
    }());
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    volatile std::uint64_t sink = orvelle::fuzz::exerciseDatabaseWithLog(scratchPath(), data, size);
    (void)sink;
    return 0;
}
