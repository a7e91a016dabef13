// Replays the seeds of the fuzz targets over a backup's small files
// (fuzz/seeds/<target>/) and the inputs that once broke those readers
// (tests/data/<target>/, when there are any) through the same routines as the
// targets, then every seed cut short at many lengths and damaged at random
// places: never a crash, a hang or a read outside a buffer (the sanitizer
// build of the targets goes further).

#include "../../fuzz/ParserExercises.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    std::function<std::uint64_t(std::string_view)> exercise;
};

std::vector<std::string> inputsIn(const fs::path& folder) {
    std::vector<std::string> inputs;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) inputs.push_back(test::readFile(entry.path()));
    return inputs;
}

TEST(ParserFuzzRegressionTest, SeedsAndDamagedSeedsAreReadSafely) {
    test::TempFolder scratch;
    const std::vector<Target> targets = {
        {"manifest_mbdb", fuzz::exerciseManifestMbdb},
        {"keybag", fuzz::exerciseKeyBag},
        {"property_lists", [&](std::string_view bytes) { return fuzz::exercisePropertyLists(bytes, scratch.path()); }},
        {"typedstream", fuzz::exerciseTypedStream},
    };
    const fs::path source(ORVELLE_SOURCE_DIR);
    std::mt19937 rng(11);
    for (const Target& target : targets) {
        SCOPED_TRACE(target.name);
        const std::vector<std::string> seeds = inputsIn(source / "fuzz/seeds" / target.name);
        // Without its seeds this test would pass having read nothing.
        ASSERT_FALSE(seeds.empty()) << "fuzz/seeds/" << target.name << " holds no inputs";
        for (const std::string& input : inputsIn(source / "tests/data" / target.name))
            target.exercise(input);
        for (const std::string& seed : seeds) {
            EXPECT_GT(target.exercise(seed), 0u);
            // Every length near the start, where the headers are, then fewer.
            for (std::size_t length = 0; length < seed.size(); length += 1 + length / 32)
                target.exercise(std::string_view(seed).substr(0, length));
            for (int round = 0; round < 200; ++round) {
                std::string damaged = seed;
                std::uniform_int_distribution<std::size_t> at(0, damaged.size() - 1);
                for (int flips = 1 + round % 4; flips > 0; --flips)
                    damaged[at(rng)] = static_cast<char>(rng());
                target.exercise(damaged);
            }
        }
    }
}

} // namespace
} // namespace orvelle
