// libFuzzer target over one reader of a backup's small files; the build names
// the routine of ParserExercises.h in ORVELLE_FUZZ_EXERCISE (one program per
// reader: fuzz_manifest_mbdb, fuzz_keybag, fuzz_property_lists,
// fuzz_typedstream).

#include "ParserExercises.h"
#include "Scratch.h"

#include <cstdint>
#include <string_view>
#include <type_traits>

namespace {

template <typename Exercise> std::uint64_t run(Exercise exercise, std::string_view bytes) {
    if constexpr (std::is_invocable_v<Exercise, std::string_view, const std::filesystem::path&>)
        return exercise(bytes, orvelle::fuzz::scratchFolder());
    else
        return exercise(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    volatile std::uint64_t sink = run(orvelle::fuzz::ORVELLE_FUZZ_EXERCISE, bytes);
    (void)sink;
    return 0;
}
