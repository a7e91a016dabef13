// scanTable against the SQLite library on a table of about 200 MB: 1,000,000
// rows of 8 columns (texts, integers, a float, a blob), 10% deleted.
//
// Each side runs in a child process of its own and is timed inside it, from
// opening the file to the last row (process start and exit left out); both
// fetch every column of every row and add up every byte and number they get
// (the same checksum work on both sides), and neither prints anything:
//   - library: sqlite3_open_v2 (read-only), prepare "select * from T", step
//     through every row, read every column in its stored type.
//   - scanTable, live rows: the same rows from the b-tree, every value decoded.
//   - scanTable, live + deleted: as the decoders run it, also carving the free
//     space and reading the freelist pages (work the library does not do).
// The two sides alternate which goes first; each figure is the median of
// ROUNDS rounds (default 5), warm cache. Also shown, labelled as such: the
// sqlite3 shell as a whole process printing every row to /dev/null, as this
// benchmark used to compare (printing is about half of the shell's time).
//
//   bench_sqlite_scan [ROWS [ROUNDS]]      build (or reuse) the database, compare
//   bench_sqlite_scan --side SIDE DB       one side in this process; prints
//                                          seconds, processor seconds, rows, checksum
//
// The database is kept in $TMPDIR/orvelle-bench/ between runs.

#include "BenchSupport.h"
#include "MessageLikeTable.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

using namespace orvelle;
using namespace orvelle::bench;

namespace {

std::filesystem::path buildDatabase(int rows) {
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path folder = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "orvelle-bench";
    const auto path = folder / ("scan-" + std::to_string(rows) + ".db");
    const auto done = folder / ("scan-" + std::to_string(rows) + ".done");
    if (std::filesystem::exists(done) && std::filesystem::exists(path)) return path;
    std::filesystem::create_directories(folder);
    std::fprintf(stderr, "building %s ...\n", path.string().c_str());
    test::SqliteFixture db(path);
    std::mt19937 rng(42);
    fillMessageLikeTable(db, rows, rng);
    db.close();
    test::writeFile(done, "");
    return path;
}

/// The same checksum the library side computes: numbers as integers, every
/// byte of texts and blobs.
std::uint64_t touch(const Row& row) {
    std::uint64_t sum = 0;
    for (const RecordValue& value : row.values) {
        if (value.isInteger())
            sum += static_cast<std::uint64_t>(value.integer);
        else if (value.kind == ValueKind::real)
            sum += static_cast<std::uint64_t>(value.real);
        else
            for (const char c : value.bytes)
                sum += static_cast<unsigned char>(c);
    }
    // The rowid alias column reads as NULL in the record; the library gives the rowid.
    if (row.mode == RowMode::cell) sum += static_cast<std::uint64_t>(row.rowid);
    return sum;
}

/// One side, timed in this process: "<seconds> <cpu seconds> <rows> <checksum>".
int runSide(const std::string& side, const char* path) {
    const double cpuBefore = processCpuSeconds();
    const auto start = Clock::now();
    std::uint64_t rows = 0, checksum = 0;
    if (side == "library") {
        const LibraryRead read = readWithLibrary(path, {"select * from T"});
        if (!read.ok) return 1;
        rows = read.rows, checksum = read.checksum;
    } else {
        SqliteFile file;
        if (file.open(path) != kStatusOk) return 1;
        ScanOptions options;
        options.carvedRows = options.freelistRows = side == "all";
        const Status st = scanTable(
            file, "T",
            [&](const Row& row) {
                if (!isPlausibleRow(row)) return kStatusInvalid;
                ++rows;
                checksum += touch(row);
                return kStatusOk;
            },
            options);
        if (st != kStatusOk) return 1;
    }
    std::printf("%.6f %.6f %llu %llu\n", secondsSince(start), processCpuSeconds() - cpuBefore,
                static_cast<unsigned long long>(rows), static_cast<unsigned long long>(checksum));
    return 0;
}

struct Side {
    const char* name;
    const char* label;
    std::vector<double> wall, cpu;
    long peakKiB = 0;
    unsigned long long rows = 0, checksum = 0;
};

void measure(const std::string& self, const std::string& path, Side& side) {
    const ChildRun run = runProgram({self, "--side", side.name, path});
    double wall = 0, cpu = 0;
    if (!run.ok || std::sscanf(run.output.c_str(), "%lf %lf %llu %llu", &wall, &cpu, &side.rows,
                               &side.checksum) != 4) {
        std::fprintf(stderr, "side %s failed\n", side.name);
        std::exit(1);
    }
    side.wall.push_back(wall);
    side.cpu.push_back(cpu);
    side.peakKiB = std::max(side.peakKiB, run.peakKiB);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--side") return runSide(argv[2], argv[3]);
    const int rowCount = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const auto path = buildDatabase(rowCount);
    const double megabytes = double(std::filesystem::file_size(path)) / (1 << 20);
    std::printf("database: %s, %.1f MB, %d rows inserted, 10%% deleted; median of %d rounds, warm cache\n",
                path.string().c_str(), megabytes, rowCount, rounds);
    const std::string self = selfPath();

    runProgram({"cat", path.string()}, true); // warm the page cache for both sides
    Side library{"library", "SQLite library: select * from T, every column"};
    Side live{"live", "scanTable, live rows, every column"};
    Side all{"all", "scanTable, live + deleted rows (decoders' way)"};
    std::vector<double> shell;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which side goes first.
        if (round % 2 == 0) {
            measure(self, path.string(), library);
            measure(self, path.string(), live);
        } else {
            measure(self, path.string(), live);
            measure(self, path.string(), library);
        }
        measure(self, path.string(), all);
        shell.push_back(runProgram({"sqlite3", path.string(), "select * from T"}, true).wallSeconds);
    }
    if (live.checksum != library.checksum)
        std::printf("note: the live scan's checksum differs from the library's (%llu / %llu)\n", live.checksum,
                    library.checksum);

    std::printf("  %-50s %9s %9s %10s %9s %9s\n", "", "wall s", "cpu s", "rows", "MB/s", "peak MiB");
    for (const Side* side : {&library, &live, &all})
        std::printf("  %-50s %9.3f %9.3f %10llu %9.0f %9.1f\n", side->label, median(side->wall),
                    median(side->cpu), side->rows, megabytes / median(side->wall), side->peakKiB / 1024.0);
    // Wall time is what a user waits; processor time is the steadier figure
    // on a busy machine (both sides run on one thread).
    const double reference = median(library.wall), referenceCpu = median(library.cpu);
    std::printf("\n  live rows:          library %.3f s / scanTable %.3f s = %.2fx wall; cpu %.3f s / %.3f s = "
                "%.2fx (above 1: scanTable faster)\n",
                reference, median(live.wall), reference / median(live.wall), referenceCpu, median(live.cpu),
                referenceCpu / median(live.cpu));
    std::printf("  live + deleted:     library %.3f s / scanTable %.3f s = %.2fx wall; cpu %.3f s / %.3f s = "
                "%.2fx (scanTable also carves)\n",
                reference, median(all.wall), reference / median(all.wall), referenceCpu, median(all.cpu),
                referenceCpu / median(all.cpu));
    std::printf("  (old yardstick, whole processes: sqlite3 shell printing every row to /dev/null %.3f s,\n"
                "   of which printing is most; / scanTable live + deleted %.3f s = %.2fx)\n",
                median(shell), median(all.wall), median(shell) / median(all.wall));
    return 0;
}
