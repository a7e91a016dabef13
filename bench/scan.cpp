// A full scan of a large generated backup: 50,000 media files, 250,000
// messages, 10,000 contacts, 50,000 calls, 5,000 notes and 100,000 WhatsApp
// messages (about 2% of each database's rows deleted). Reports the scan's
// wall time and peak memory (in a child process of its own), the share of
// each category (one scan per category, the open subtracted), and the time
// `cat` needs to read every file the scan reads (warm cache).
//
//   bench_scan [SCALE]           (default 1.0: the sizes above)
//   bench_scan --scan FOLDER [CATEGORY]    (the child: one scan, prints seconds and peak KiB)

#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "core/Categories.h"
#include "scan/ScanRun.h"
#include "support/LargeBackup.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdio>
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
    const auto start = Clock::now();
    run.start(request);
    run.wait();
    const double seconds = since(start);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::cout << seconds << ' ' << usage.ru_maxrss << ' ' << run.count(ItemKind::Messages) << '\n';
    return 0;
}

struct ChildResult {
    double seconds = 0;
    long peakKiB = 0;
};

ChildResult runChild(const std::string& self, const fs::path& folder, const std::string& category) {
    const std::string command = "'" + self + "' --scan '" + folder.string() + "' " + category;
    FILE* pipe = ::popen(command.c_str(), "r");
    ChildResult result;
    long chats = 0;
    if (pipe && std::fscanf(pipe, "%lf %ld %ld", &result.seconds, &result.peakKiB, &chats) != 3)
        std::cerr << "child failed: " << command << '\n';
    if (pipe) ::pclose(pipe);
    return result;
}

double catSeconds(const fs::path& folder) {
    const std::string command = "find '" + folder.string() + "' -type f -print0 | xargs -0 cat > /dev/null";
    std::system(command.c_str()); // warm
    const auto start = Clock::now();
    std::system(command.c_str());
    return since(start);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--scan") return scanChild(argv[2], argc > 3 ? argv[3] : "all");
    const double scale = argc > 1 ? std::stod(argv[1]) : 1.0;
    test::TempFolder temp("orvelle-bench-scan");
    const fs::path folder = temp / "backup";
    std::cerr << "building the backup (scale " << scale << ")...\n";
    auto start = Clock::now();
    test::buildLargeBackup(folder, scale);
    std::cerr << "built in " << since(start) << " s\n";

    const double cat = catSeconds(folder);
    runChild(argv[0], folder, "all"); // warm
    ChildResult best{1e9, 0};
    for (int round = 0; round < 3; ++round) {
        const ChildResult r = runChild(argv[0], folder, "all");
        if (r.seconds < best.seconds) best = r;
    }
    const ChildResult open = runChild(argv[0], folder, "none");
    std::cout << "full scan: " << best.seconds << " s, peak memory " << best.peakKiB / 1024 << " MiB\n"
              << "cat of every file: " << cat << " s (scan / cat = " << best.seconds / cat << ")\n"
              << "open (manifest): " << open.seconds << " s\n";
    for (const char* category : {"camera-roll", "messages", "message-attachments", "contacts", "call-history",
                                 "notes", "app-photos", "whatsapp"}) {
        const ChildResult r = runChild(argv[0], folder, category);
        const double own = std::max(0.0, r.seconds - open.seconds);
        std::printf("  %-20s %7.3f s  %5.1f%%  peak %ld MiB\n", category, own, 100.0 * own / best.seconds,
                    r.peakKiB / 1024);
    }
    return 0;
}
