// A full scan of a large generated backup: 50,000 media files, 250,000
// messages, 10,000 contacts, 50,000 calls, 5,000 notes and 100,000 WhatsApp
// messages (about 2% of each database's rows deleted). Reports the scan's
// wall time and peak memory, the share of each category (one scan per
// category, the open subtracted), and beside the full scan a reference that
// reads the same bytes the scan reads, warm cache:
//   - scan: a child process of its own runs ScanRun over every category,
//     timed from start() to the end of wait(); it also reports the bytes it
//     read (the kernel's count of bytes read, /proc/self/io rchar).
//   - reference: a child process of its own reads, timed the same way, every
//     SQLite database of the backup (Manifest.db and the device databases, by
//     their file header) in full, the small plist files in full, and the first
//     512 bytes of every other stored file, which is what the scan's
//     signature check reads of a media file. Both byte counts are printed.
// The two alternate which goes first; each figure is the median of 3 rounds.
//
//   bench_scan [SCALE]           (default 1.0: the sizes above)
//   bench_scan --scan FOLDER [CATEGORY]    (the child: one scan, prints seconds, peak KiB, bytes read)
//   bench_scan --reference FOLDER          (the child: the reference read, prints seconds and bytes)

#include "BenchSupport.h"
#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "core/Categories.h"
#include "scan/ScanRun.h"
#include "support/LargeBackup.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace orvelle;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// Bytes this process has read so far through read calls (the kernel's count).
std::uint64_t bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

/// The child: one scan of `folder` (all categories, or one), timed.
int scanChild(const fs::path& folder, const std::string& only) {
    BackupStore store({{}, fs::temp_directory_path() / "orvelle-bench-scan-data"});
    ScanRequest request;
    if (readBackupFolder(folder, request.backup) != kStatusOk) return 1;
    if (only == "all")
        request.categories = allScanCategories();
    else if (only != "none")
        request.categories = {categoryByCliName(only)->kind};
    ScanRun run(store);
    const std::uint64_t readBefore = bytesReadSoFar();
    const double cpuBefore = bench::processCpuSeconds();
    const auto start = Clock::now();
    run.start(request);
    run.wait();
    const double seconds = since(start);
    const std::uint64_t bytesRead = bytesReadSoFar() - readBefore;
    std::cout << seconds << ' ' << bench::peakResidentKiB() << ' ' << bytesRead << ' '
              << bench::processCpuSeconds() - cpuBefore << '\n';
    return 0;
}

/// The reference child: reads what the scan reads (see the header), timed.
int referenceChild(const fs::path& folder) {
    const double cpuBefore = bench::processCpuSeconds();
    const auto start = Clock::now();
    std::uint64_t bytes = 0;
    std::vector<char> buffer(1 << 20);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        FILE* file = std::fopen(entry.path().c_str(), "rb");
        if (!file) continue;
        std::size_t got = std::fread(buffer.data(), 1, 512, file);
        bytes += got;
        const bool whole = (got >= 16 && std::memcmp(buffer.data(), "SQLite format 3", 16) == 0) ||
                           entry.path().extension() == ".plist";
        if (whole)
            while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
                bytes += got;
        std::fclose(file);
    }
    std::cout << since(start) << ' ' << bytes << ' ' << bench::processCpuSeconds() - cpuBefore << '\n';
    return 0;
}

struct ChildResult {
    double seconds = 0;
    long peakKiB = 0;
    std::uint64_t bytesRead = 0;
    double cpuSeconds = 0; ///< processor time of the timed part (all threads)
};

ChildResult runChild(const std::string& self, const fs::path& folder, const std::string& category) {
    const bench::ChildRun run = bench::runProgram({self, "--scan", folder.string(), category});
    ChildResult result;
    if (!run.ok || std::sscanf(run.output.c_str(), "%lf %ld %" SCNu64 " %lf", &result.seconds, &result.peakKiB,
                               &result.bytesRead, &result.cpuSeconds) != 4)
        std::cerr << "scan child failed for " << category << '\n';
    return result;
}

ChildResult runReference(const std::string& self, const fs::path& folder) {
    const bench::ChildRun run = bench::runProgram({self, "--reference", folder.string()});
    ChildResult result;
    if (!run.ok || std::sscanf(run.output.c_str(), "%lf %" SCNu64 " %lf", &result.seconds, &result.bytesRead,
                               &result.cpuSeconds) != 3)
        std::cerr << "reference child failed\n";
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--scan") return scanChild(argv[2], argc > 3 ? argv[3] : "all");
    if (argc >= 3 && std::string(argv[1]) == "--reference") return referenceChild(argv[2]);
    const double scale = argc > 1 ? std::stod(argv[1]) : 1.0;
    const std::string self = bench::selfPath();
    test::TempFolder temp("orvelle-bench-scan");
    const fs::path folder = temp / "backup";
    std::cerr << "building the backup (scale " << scale << ")...\n";
    auto start = Clock::now();
    test::buildLargeBackup(folder, scale);
    std::cerr << "built in " << since(start) << " s\n";

    runReference(self, folder);    // warm
    runChild(self, folder, "all"); // warm
    std::vector<double> scanTimes, referenceTimes, scanCpu, referenceCpu;
    ChildResult scan, reference;
    for (int round = 0; round < 3; ++round) {
        // Alternate which side goes first.
        if (round % 2 == 0) {
            scan = runChild(self, folder, "all");
            reference = runReference(self, folder);
        } else {
            reference = runReference(self, folder);
            scan = runChild(self, folder, "all");
        }
        scanTimes.push_back(scan.seconds), scanCpu.push_back(scan.cpuSeconds);
        referenceTimes.push_back(reference.seconds), referenceCpu.push_back(reference.cpuSeconds);
    }
    const double scanT = bench::median(scanTimes), referenceT = bench::median(referenceTimes);
    const ChildResult open = runChild(self, folder, "none");
    std::printf("full scan: %.3f s, peak memory %ld MiB, %.1f MiB read\n", scanT, scan.peakKiB / 1024,
                scan.bytesRead / 1048576.0);
    std::printf("reference read of the same bytes: %.3f s, %.1f MiB read\n", referenceT,
                reference.bytesRead / 1048576.0);
    std::printf("scan / reference = %.3f s / %.3f s = %.2fx wall (median of 3 rounds each, warm cache); "
                "processor time %.3f s / %.3f s\n",
                scanT, referenceT, scanT / referenceT, bench::median(scanCpu), bench::median(referenceCpu));
    std::printf("open (manifest): %.3f s\n", open.seconds);
    for (const char* category : {"camera-roll", "messages", "message-attachments", "contacts", "call-history",
                                 "notes", "app-photos", "whatsapp"}) {
        const ChildResult r = runChild(self, folder, category);
        const double own = std::max(0.0, r.seconds - open.seconds);
        std::printf("  %-20s %7.3f s  %5.1f%%  peak %ld MiB\n", category, own, 100.0 * own / scanT,
                    r.peakKiB / 1024);
    }
    return 0;
}
