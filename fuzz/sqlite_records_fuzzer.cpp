// libFuzzer target: any byte string, opened as a database file, through every
// part of the SQLite record engine.

#include "ExerciseEngine.h"
#include "Scratch.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = orvelle::fuzz::scratchFile();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);
    volatile std::uint64_t sink = orvelle::fuzz::exerciseDatabase(path);
    (void)sink;
    return 0;
}
