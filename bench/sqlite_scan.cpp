// Throughput and memory of scanTable (live and deleted rows) on a database of
// about 200 MB and 1,000,000 rows with 10% deleted, against the SQLite
// library's own command reading the same table in the same run:
//   sqlite3 DB "select * from T" >/dev/null
//
//   bench_sqlite_scan [ROWS]          build (or reuse) the database, compare
//   bench_sqlite_scan --scan DB       one scan in a process of its own; prints
//                                     rows, seconds and peak memory
//
// The database is kept in $TMPDIR/orvelle-bench/ between runs.

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>

using namespace orvelle;
using Clock = std::chrono::steady_clock;

namespace {

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::filesystem::path buildDatabase(int rows) {
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path folder = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "orvelle-bench";
    const auto path = folder / ("scan-" + std::to_string(rows) + ".db");
    const auto done = folder / ("scan-" + std::to_string(rows) + ".done");
    if (std::filesystem::exists(done) && std::filesystem::exists(path)) return path;
    std::filesystem::create_directories(folder);
    std::fprintf(stderr, "building %s ...\n", path.string().c_str());
    test::SqliteFixture db(path);
    db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, guid TEXT, body TEXT, handle INTEGER, date INTEGER, "
            "rate REAL, flags INTEGER, data BLOB)");
    std::mt19937 rng(42);
    db.insertRows("T", rows, [&](int i) {
        std::string body(90 + rng() % 140, 'a');
        for (char& c : body)
            c = static_cast<char>('a' + rng() % 26);
        return test::SqlRow{test::SqlValue::null(),
                            test::SqlValue::text("GUID-" + std::to_string(1000000000 + i)),
                            test::SqlValue::text(body),
                            test::SqlValue::of(rng() % 5000),
                            test::SqlValue::of(700000000 + i),
                            test::SqlValue::ofReal(i / 3.0 + 0.1),
                            test::SqlValue::of(rng() % 2),
                            test::SqlValue::blob(std::string(rng() % 16, 'b'))};
    });
    db.exec("DELETE FROM T WHERE id % 10 = 3");
    db.close();
    test::writeFile(done, "");
    return path;
}

int scanOnly(const char* path) {
    SqliteFile file;
    if (file.open(path) != kStatusOk) return 1;
    std::uint64_t live = 0;
    std::uint64_t deleted = 0;
    std::uint64_t bytes = 0;
    const auto start = Clock::now();
    const Status st = scanTable(file, "T", [&](const Row& row) {
        if (!isPlausibleRow(row)) return kStatusInvalid;
        (row.deleted ? deleted : live)++;
        bytes += row.record.size();
        return kStatusOk;
    });
    const double seconds = secondsSince(start);
    std::printf("%llu %llu %.3f %ld %llu %d\n", (unsigned long long)live, (unsigned long long)deleted,
                seconds, peakRssKb(), (unsigned long long)bytes, st);
    return st == kStatusOk ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--scan") return scanOnly(argv[2]);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const auto path = buildDatabase(rows);
    const double megabytes = double(std::filesystem::file_size(path)) / (1 << 20);
    std::printf("database: %s, %.1f MB, %d rows inserted, 10%% deleted\n", path.string().c_str(), megabytes,
                rows);

    // Warm the page cache once so that both readers see the same state.
    std::system(("cat '" + path.string() + "' > /dev/null").c_str());

    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        const int rc = std::system(("sqlite3 '" + path.string() + "' 'select * from T' > /dev/null").c_str());
        const double sqliteSeconds = secondsSince(start);

        start = Clock::now();
        FILE* pipe = popen(("'" + std::string(argv[0]) + "' --scan '" + path.string() + "'").c_str(), "r");
        unsigned long long live = 0, deleted = 0, bytes = 0;
        double scanSeconds = 0;
        long rssKb = 0;
        int status = -1;
        if (!pipe || std::fscanf(pipe, "%llu %llu %lf %ld %llu %d", &live, &deleted, &scanSeconds, &rssKb,
                                 &bytes, &status) != 6) {
            std::fprintf(stderr, "scan failed\n");
            return 1;
        }
        pclose(pipe);
        std::printf(
            "round %d: scanTable %.3f s (%.0f MB/s; %llu live, %llu deleted rows; peak RSS %.1f MB) | "
            "sqlite3 select * %.3f s (%.0f MB/s, exit %d) | ratio %.2fx\n",
            round + 1, scanSeconds, megabytes / scanSeconds, live, deleted, rssKb / 1024.0, sqliteSeconds,
            megabytes / sqliteSeconds, rc, sqliteSeconds / scanSeconds);
    }
    return 0;
}
