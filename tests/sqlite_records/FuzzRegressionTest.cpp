// Replays the inputs that once broke the record engine and hand-made hostile
// files (tests/data/sqlite/, each named after its fault: page sizes, b-tree
// and freelist cycles, pointers past the page or the file, lying varints and
// record headers, broken schema rows) and a fixed set of damaged databases
// through the same routine as the fuzz target: each must be read without a
// crash or hang. fuzz/run.sh replays the same folder under the sanitizers.

#include "../../fuzz/ExerciseEngine.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace orvelle {
namespace {

TEST(FuzzRegressionTest, RegressionInputsAreReadSafely) {
    const std::filesystem::path folder = std::filesystem::path(ORVELLE_SOURCE_DIR) / "tests/data/sqlite";
    // Without its inputs this test would pass having read nothing.
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder << " is missing";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().filename().string());
        fuzz::exerciseDatabase(entry.path());
        ++files;
    }
    EXPECT_GT(files, 0) << folder << " holds no regression inputs";
}

// A valid database with deleted rows, damaged at random places: never a crash,
// a hang or a read outside a buffer (the sanitizer build of the fuzz target
// goes further).
TEST(FuzzRegressionTest, DamagedDatabasesAreReadSafely) {
    test::TempFolder folder;
    const auto path = folder / "base.db";
    {
        test::SqliteFixture::Options options;
        options.pageSize = 512;
        test::SqliteFixture db(path, options);
        db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, a TEXT, b INTEGER, c REAL, d BLOB, e TEXT)");
        db.insertRows("T", 120, [](int i) {
            return test::SqlRow{test::SqlValue::null(),
                                test::SqlValue::text(std::string(i % 90 + 1, 'a')),
                                test::SqlValue::of(i * 99991),
                                test::SqlValue::ofReal(i + 0.5),
                                test::SqlValue::blob(std::string(i % 7, 'b')),
                                test::SqlValue::text(i % 10 == 0 ? std::string(900, 'o') : "e")};
        });
        db.deleteScattered("T", 3);
        db.deleteRange("T", 40, 80);
        db.close();
    }
    const std::string original = test::readFile(path);
    std::mt19937 rng(7);
    const auto damaged = folder / "damaged.db";
    for (int round = 0; round < 300; ++round) {
        std::string bytes = original;
        const int flips = 1 + static_cast<int>(rng() % 16);
        for (int i = 0; i < flips; ++i) {
            // Aim at page headers and cell pointers as often as at the rest.
            const std::size_t page = rng() % (bytes.size() / 512);
            const std::size_t at =
                rng() % 2 ? page * 512 + rng() % 24 + (page == 0 ? 100 : 0) : rng() % bytes.size();
            bytes[std::min(at, bytes.size() - 1)] = static_cast<char>(rng());
        }
        test::writeFile(damaged, bytes);
        fuzz::exerciseDatabase(damaged);
    }
}

} // namespace
} // namespace orvelle
