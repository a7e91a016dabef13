// Reading a database through its write-ahead log against reading the same
// database checkpointed: a table of about 200 MB (1,000,000 rows of 8
// columns, 10% deleted), then 10,000 commits in log mode, each updating one
// live row somewhere in the table, so the log holds 10,000 frames (older versions
// of many pages among them). The same commits checkpointed into the file give
// the reference. Both sides run scanTable as the decoders do (live rows,
// carved rows, freelist pages; the log side also opens and checks the log and
// carves its frames), each in a child process of its own, timed inside it
// from opening the file to the last row. A third side reads the same
// database with a log of only the first 100 commits, for the peak memory of a
// small log against a large one. Median of ROUNDS rounds (default 5), warm
// cache; the sides alternate which goes first.
//
//   bench_write_ahead_log [ROWS [ROUNDS]]   build (or reuse) the files, compare
//   bench_write_ahead_log --side DB LOG     one side; LOG "-" for none; prints
//                                           seconds, processor seconds, rows,
//                                           peak resident KiB (VmHWM)
//
// The files are kept in $TMPDIR/orvelle-bench/ between runs (about 700 MB).

#include "BenchSupport.h"
#include "MessageLikeTable.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"
#include "support/WriteAheadLogFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

using namespace orvelle;
using namespace orvelle::bench;

namespace {

constexpr int kLargeLogCommits = 10000;
constexpr int kSmallLogCommits = 100;

struct Files {
    std::filesystem::path checkpointed; ///< every commit in the file
    std::filesystem::path logged;       ///< the file before the commits
    std::filesystem::path largeLog;     ///< all commits
    std::filesystem::path smallLog;     ///< the first commits only
};

std::filesystem::path withSuffix(const std::filesystem::path& path, const char* suffix) {
    std::filesystem::path out = path;
    out += suffix;
    return out;
}

Files buildFiles(int rows) {
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path folder = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "orvelle-bench";
    const std::string stem = "log-" + std::to_string(rows);
    Files files{folder / (stem + "-checkpointed.db"), folder / (stem + "-logged.db"),
                folder / (stem + "-logged.db-wal"), folder / (stem + "-small.wal")};
    const auto done = folder / (stem + ".done");
    if (std::filesystem::exists(done)) return files;
    std::filesystem::create_directories(folder);
    std::fprintf(stderr, "building %s ...\n", files.checkpointed.string().c_str());
    test::SqliteFixture db(files.checkpointed);
    std::mt19937 rng(42);
    fillMessageLikeTable(db, rows, rng);
    const auto text = [&rng](std::size_t length) {
        std::string body(length, 'a');
        for (char& c : body)
            c = static_cast<char>('a' + rng() % 26);
        return body;
    };
    test::startWriteAheadLog(db);
    db.exec("PRAGMA synchronous=OFF"); // the commits need not reach the disk one by one
    for (int commit = 1; commit <= kLargeLogCommits; ++commit) {
        int id = static_cast<int>(rng() % static_cast<unsigned>(rows)) + 1;
        if (id % 10 == 3) ++id; // a deleted row: its update would write no frame
        db.exec("UPDATE T SET body = '" + text(90 + rng() % 140) + "' WHERE id = " + std::to_string(id));
        if (commit == kSmallLogCommits)
            std::filesystem::copy_file(withSuffix(files.checkpointed, "-wal"), files.smallLog,
                                       std::filesystem::copy_options::overwrite_existing);
    }
    test::copyWithLog(files.checkpointed, files.logged);
    db.close(); // checkpoints every commit into the file
    test::writeFile(done, "");
    return files;
}

/// One side, timed in this process: "<seconds> <cpu seconds> <rows> <peak KiB>"
/// (the peak resident memory of this process, VmHWM).
int runSide(const char* database, const std::string& log) {
    const double cpuBefore = processCpuSeconds();
    const auto start = Clock::now();
    SqliteFile file;
    if (file.open(database, LogOptions{log != "-", log == "-" ? std::filesystem::path() : std::filesystem::path(log)}) != kStatusOk)
        return 1;
    if (!file.logProblem().empty()) std::fprintf(stderr, "log: %s\n", file.logProblem().c_str());
    std::uint64_t rows = 0;
    const Status st = scanTable(file, "T", [&rows](const Row& row) {
        if (!isPlausibleRow(row)) return kStatusInvalid;
        ++rows;
        return kStatusOk;
    });
    if (st != kStatusOk) return 1;
    std::printf("%.6f %.6f %llu %ld\n", secondsSince(start), processCpuSeconds() - cpuBefore,
                static_cast<unsigned long long>(rows), peakResidentKiB());
    return 0;
}

struct Side {
    const char* label;
    std::string database;
    std::string log;
    std::vector<double> wall, cpu;
    long peakKiB = 0;
    unsigned long long rows = 0;
};

void measure(const std::string& self, Side& side) {
    const ChildRun run = runProgram({self, "--side", side.database, side.log});
    double wall = 0, cpu = 0;
    long peakKiB = 0;
    if (!run.ok || std::sscanf(run.output.c_str(), "%lf %lf %llu %ld", &wall, &cpu, &side.rows, &peakKiB) != 4) {
        std::fprintf(stderr, "side %s failed\n", side.label);
        std::exit(1);
    }
    side.wall.push_back(wall);
    side.cpu.push_back(cpu);
    side.peakKiB = std::max(side.peakKiB, peakKiB);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--side") return runSide(argv[2], argv[3]);
    const int rowCount = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const Files files = buildFiles(rowCount);
    const double megabytes = double(std::filesystem::file_size(files.checkpointed)) / (1 << 20);
    std::printf("database: %.1f MB, %d rows inserted, 10%% deleted, then %d one-row commits; log: %.1f MB, "
                "%zu frames (small log: %zu frames); median of %d rounds, warm cache\n",
                megabytes, rowCount, kLargeLogCommits, double(std::filesystem::file_size(files.largeLog)) / (1 << 20),
                test::logFrameCount(files.largeLog), test::logFrameCount(files.smallLog), rounds);
    const std::string self = selfPath();
    for (const auto& path : {files.checkpointed, files.logged, files.largeLog, files.smallLog})
        runProgram({"cat", path.string()}, true); // warm the page cache for every side
    Side checkpointed{"checkpointed database (reference)", files.checkpointed.string(), "-"};
    Side large{"database + log of 10,000 frames", files.logged.string(), files.largeLog.string()};
    Side small{"database + log of 100 frames", files.logged.string(), files.smallLog.string()};
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            measure(self, checkpointed);
            measure(self, large);
        } else {
            measure(self, large);
            measure(self, checkpointed);
        }
        measure(self, small);
    }
    std::printf("  %-40s %9s %9s %10s %9s\n", "", "wall s", "cpu s", "rows", "peak MiB");
    for (const Side* side : {&checkpointed, &large, &small})
        std::printf("  %-40s %9.3f %9.3f %10llu %9.1f\n", side->label, median(side->wall), median(side->cpu),
                    side->rows, side->peakKiB / 1024.0);
    std::printf("\n  log of 10,000 frames / checkpointed: %.3f s / %.3f s = %.2fx wall, cpu %.2fx (target at most "
                "1.5x)\n  peak memory: large log %.1f MiB, small log %.1f MiB, checkpointed %.1f MiB\n",
                median(large.wall), median(checkpointed.wall), median(large.wall) / median(checkpointed.wall),
                median(large.cpu) / median(checkpointed.cpu), large.peakKiB / 1024.0, small.peakKiB / 1024.0,
                checkpointed.peakKiB / 1024.0);
    return 0;
}
