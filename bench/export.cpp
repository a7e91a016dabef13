// Export throughput. Every timed side is measured by wall clock from its
// start to its end (the export in this process, from ExportJob::run's call to
// its return; cp as a whole process), and again until its data are on disk
// (sync). Each mode runs at least 5 rounds; the sides alternate which goes
// first, and every figure is the median of the rounds, both sides printed.
//
// 1. Copies: FILES stored files of TOTAL_MIB in all, laid out as in a backup
//    (256 two-hex-digit folders), exported as Camera Roll items through the
//    local-backup source's chunked copy, against `cp -r` of the same folder in
//    the same run. Both start from a warm cache with no dirty pages.
// 2. Documents: the chat pages and text files of MESSAGES text messages, once
//    as 2,500 chats and once as a single chat, with the shipped templates
//    (no reference side; the median of the rounds).
//
// 3. With --backup FOLDER: a scan of that backup (every category), then its
//    stored files exported against `cp` of the same files, and its documents
//    (messages, contacts, calls, notes, WhatsApp) on their own. With
//    --large-backup the same on the large generated backup of the scan
//    benchmark (50,000 media files, 250,000 messages, ...), scaled by SCALE.
//
//   bench_export [TOTAL_MIB [FILES [MESSAGES]]]     (defaults 1024, 2000, 250000)
//   bench_export --backup FOLDER
//   bench_export --large-backup [SCALE]             (default 1.0)
//
// The work folder is made under TMPDIR. No copy is removed before the last
// timed run: ext4 skips inodes freed in the last 30 s or so when it creates
// files, searching past each of them, so a run that follows the removal of
// tens of thousands of files pays several times the cost of the run before
// it. For the same reason run the benchmark at least a minute after anything
// removed many files on the same file system, or give it a file system of
// its own (TMPDIR=/mnt/scratch).

#include "BenchSupport.h"
#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "backup/LocalBackupSource.h"
#include "export/ExportJob.h"
#include "export/ScanSourceExport.h"
#include "platform/Process.h"
#include "scan/SelectionTally.h"
#include "scan/ScanRun.h"
#include "support/LargeBackup.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace orvelle;

namespace {

using Clock = std::chrono::steady_clock;
using bench::median;

constexpr int kRounds = 5;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string fill(std::size_t size, std::uint64_t seed) {
    std::string out(size, '\0');
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        std::memcpy(out.data() + i, &x, 8);
    }
    return out;
}

// Reads the files once so that both timed runs start from the page cache.
void warm(const std::vector<MediaFileRecord>& files) {
    std::vector<char> buffer(1 << 20);
    for (const auto& file : files) {
        std::ifstream in(file.storedPath, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        }
    }
}

std::uint64_t bytesBelow(const fs::path& folder) {
    std::uint64_t total = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) total += e.file_size();
    return total;
}

/// Time of `program arguments` (cp); `synced` adds the time until its data are on disk.
double timeCopyProgram(const std::string& program, const std::vector<std::string>& arguments,
                       double& synced) {
    ::sync();
    const auto start = Clock::now();
    platform::ChildProcess child;
    std::error_code ec;
    if (!child.start(program, arguments, ec)) {
        std::cerr << "cannot start cp: " << ec.message() << '\n';
        std::exit(1);
    }
    std::string output;
    while (child.readOutput(output, 65536, 1000) != platform::ChildProcess::ReadStatus::EndOfOutput) {
    }
    const int exitCode = child.wait();
    const double seconds = secondsSince(start);
    ::sync();
    synced = secondsSince(start);
    if (exitCode != 0) {
        std::cerr << "cp failed: " << output << '\n';
        std::exit(1);
    }
    return seconds;
}

/// Exports everything in `results`; `seconds` is the export's time, `synced`
/// adds the time until its data are on disk.
ExportSummary exportAll(ScanResults& results, ExportSource& source, const ExportTemplates& templates,
                        const fs::path& destination, double& seconds, double& synced) {
    SelectionTally tally;
    for (const auto& c : kCategories) {
        if (c.kind == ItemKind::None) continue;
        results.prepare(c.kind);
        tally.addCategory(c.kind, results);
    }
    ::sync();
    const auto start = Clock::now();
    ExportJob job(results, tally, source, templates, {destination, "20240101000000"});
    const ExportSummary summary = job.run();
    seconds = secondsSince(start);
    ::sync();
    synced = secondsSince(start);
    if (summary.failed != 0) {
        std::cerr << "export failed for " << summary.failed << " files\n";
        std::exit(1);
    }
    return summary;
}

void benchCopies(const fs::path& work, std::uint64_t totalMib, std::size_t fileCount) {
    const fs::path backup = work / "backup";
    std::vector<MediaFileRecord> files;
    const std::uint64_t total = totalMib << 20;
    const std::uint64_t average = total / fileCount;
    std::uint64_t written = 0;
    for (std::size_t i = 0; i < fileCount; ++i) {
        // Sizes spread from half to one and a half times the average.
        std::uint64_t size = average / 2 + (average * ((i * 7919) % 1000)) / 1000;
        if (i + 1 == fileCount) size = total > written ? total - written : average;
        char id[41];
        std::snprintf(id, sizeof id, "%02zx%038zx", i % 256, i * 2654435761u);
        const fs::path path = backup / std::string(id, 2) / id;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << fill(size, i);
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05zu.JPG", i);
        files.push_back({static_cast<std::uint32_t>(size), name, path.string()});
        written += size;
    }
    warm(files);
    const double mib = static_cast<double>(written) / (1 << 20);
    std::cout << "Copies: " << fileCount << " files, " << mib << " MiB\n";

    LocalBackupSource local;
    ScanSourceExport source(local);
    ExportTemplates templates; // no documents in this part
    std::vector<double> cpTimes, cpSyncedTimes, exportTimes, exportSyncedTimes;
    int run = 0;
    auto runCp = [&] {
        const fs::path cpTarget = work / ("cp" + std::to_string(++run));
        double cpSynced = 0;
        const double cp = timeCopyProgram("/bin/cp", {"-r", backup.string(), cpTarget.string()}, cpSynced);
        if (bytesBelow(cpTarget) != written) std::cerr << "cp copied a different number of bytes\n";
        cpTimes.push_back(cp), cpSyncedTimes.push_back(cpSynced);
    };
    auto runExport = [&] {
        ScanResults results;
        results.cameraRoll = files;
        const fs::path exportTarget = work / ("export" + std::to_string(++run));
        double seconds = 0, synced = 0;
        const ExportSummary summary = exportAll(results, source, templates, exportTarget, seconds, synced);
        if (summary.done != fileCount || bytesBelow(exportTarget) != written)
            std::cerr << "the export wrote a different number of files or bytes\n";
        exportTimes.push_back(seconds), exportSyncedTimes.push_back(synced);
    };
    for (int round = 0; round < kRounds; ++round) {
        // Alternate which side goes first.
        if (round % 2 == 0)
            runCp(), runExport();
        else
            runExport(), runCp();
        std::printf("  round %d: cp -r %.2f s (%.2f s to disk), export %.2f s (%.2f s to disk)\n", round + 1,
                    cpTimes.back(), cpSyncedTimes.back(), exportTimes.back(), exportSyncedTimes.back());
    }
    const double cp = median(cpTimes), exported = median(exportTimes);
    const double cpSynced = median(cpSyncedTimes), exportedSynced = median(exportSyncedTimes);
    std::printf("  median of %d: cp -r %.2f s (%.0f MiB/s), export %.2f s (%.0f MiB/s): export at %.0f%% of cp -r\n",
                kRounds, cp, mib / cp, exported, mib / exported, 100.0 * cp / exported);
    std::printf("  to disk: cp -r %.2f s (%.0f MiB/s), export %.2f s (%.0f MiB/s): export at %.0f%% of cp -r\n",
                cpSynced, mib / cpSynced, exportedSynced, mib / exportedSynced, 100.0 * cpSynced / exportedSynced);
}

struct NoDump : ExportSource {
    Status copyFile(const fs::path&, platform::OutputFile&, const fs::path&, FileProgressFn, void*) override {
        return kStatusInvalid;
    }
    Status exportDeletedMessages(const fs::path&) override { return kStatusOk; }
    Status exportDeletedContacts(const fs::path&) override { return kStatusOk; }
};

void benchDocuments(const fs::path& work, std::size_t messages, std::size_t chats) {
    ScanResults results;
    static const char* const kWords[] = {"see",    "you",  "at", "the",   "park",  "tomorrow",  "bring",
                                         "photos", "<ok>", "&",  "lunch", "maybe", "\"later\"", "thanks"};
    for (std::size_t i = 0; i < messages; ++i) {
        const auto chat = static_cast<std::int32_t>(i % chats + 1);
        MessageRecord m;
        m.handleId = chat;
        m.fromMe = static_cast<std::int32_t>(i % 3 == 0);
        m.deleted = i % 17 == 0 ? kDeleted : kLive;
        m.date = "2024-03-01 09:15:00";
        m.address = "+1555" + std::to_string(1000000 + chat);
        m.contactName = "Contact " + std::to_string(chat);
        for (std::size_t w = 0; w < 4 + i % 12; ++w)
            m.text += std::string(w ? " " : "") + kWords[(i + w * 5) % std::size(kWords)];
        results.messageChats[chat].push_back(std::move(m));
    }
    ExportTemplates templates;
    if (loadExportTemplates(fs::path(ORVELLE_SOURCE_DIR) / "template", "Bench iPhone", templates) !=
        kStatusOk) {
        std::cerr << "cannot read the templates\n";
        std::exit(1);
    }
    NoDump source;
    std::vector<double> times;
    fs::path target;
    for (int round = 0; round < kRounds; ++round) {
        target = work / ("documents-" + std::to_string(chats) + "-" + std::to_string(round + 1));
        double seconds = 0, synced = 0;
        exportAll(results, source, templates, target, seconds, synced);
        times.push_back(seconds);
    }
    const double seconds = median(times);
    const double mib = static_cast<double>(bytesBelow(target)) / (1 << 20);
    std::printf("Documents: %zu messages in %zu chats: %.2f s median of %d (%.0f messages/s, %.1f MiB written)\n",
                messages, chats, seconds, kRounds, messages / seconds, mib);
}

/// Exports what is ticked in `run`'s tally below `destination`, timed.
double timedExport(ScanRun& run, const ExportTemplates& templates, const fs::path& destination,
                   double& synced, ExportSummary& summary) {
    ScanSourceExport source(*run.source());
    ::sync();
    const auto start = Clock::now();
    ExportJob job(run.results(), run.tally(), source, templates, {destination, "20240101000000"});
    summary = job.run();
    const double seconds = secondsSince(start);
    ::sync();
    synced = secondsSince(start);
    return seconds;
}

/// Ticks the file categories (`files`) or the document categories (not `files`).
void tickOnly(ScanRun& run, bool files) {
    ScanResults& r = run.results();
    for (const void* group :
         std::initializer_list<const void*>{&r.cameraRoll, &r.photoStream, &r.appPhotos, &r.appVideos,
                                            &r.messageAttachments, &r.whatsAppAttachments})
        run.tally().select(group, files);
    for (const void* group : std::initializer_list<const void*>{&r.messageSummaries, &r.contacts, &r.calls,
                                                                &r.notes, &r.whatsAppSummaries})
        run.tally().select(group, !files);
}

int benchBackup(const fs::path& folder) {
    test::TempFolder work("orvelle-bench-export");
    BackupStore store({{}, work / "data"});
    ScanRequest request;
    if (readBackupFolder(folder, request.backup) != kStatusOk) request.backup = BackupInfo{};
    request.backup.folder = folder.string();
    request.categories = allScanCategories();
    ScanRun run(store);
    auto start = Clock::now();
    if (run.start(request) != kStatusOk) return 1;
    run.wait();
    std::printf("scan: %.2f s\n", secondsSince(start));

    // The stored files an export copies, for cp and for warming the cache.
    const ScanResults& r = run.results();
    std::vector<MediaFileRecord> stored;
    auto add = [&stored](const auto& list) {
        for (const auto& f : list)
            stored.push_back({f.size, f.name, f.storedPath});
    };
    add(r.cameraRoll), add(r.photoStream), add(r.messageAttachments), add(r.whatsAppAttachments);
    for (const auto* apps : {&r.appPhotos, &r.appVideos})
        for (const auto& [app, files] : *apps)
            add(files);
    std::uint64_t bytes = 0;
    std::string list;
    for (const auto& f : stored) {
        bytes += f.size;
        list += f.storedPath;
        list += '\0';
    }
    const fs::path listFile = work / "stored-files";
    std::ofstream(listFile, std::ios::binary) << list;
    warm(stored);
    const double mib = static_cast<double>(bytes) / (1 << 20);
    std::size_t messages = 0;
    for (const auto& [key, chat] : r.messageChats)
        messages += chat.size();
    std::printf("stored files: %zu (%.1f MiB); messages: %zu in %zu chats\n", stored.size(), mib, messages,
                r.messageSummaries.size());

    ExportTemplates templates;
    if (loadExportTemplates(fs::path(ORVELLE_SOURCE_DIR) / "template", request.backup.displayName,
                            templates) != kStatusOk)
        return 1;
    std::vector<double> cpTimes, cpSyncedTimes, fileTimes, fileSyncedTimes;
    // Every run writes to a folder of its own, all removed at the end, and the
    // order alternates so that neither side always goes first.
    int runs = 0;
    auto runCp = [&] {
        const fs::path cpTarget = work / ("cp" + std::to_string(++runs));
        fs::create_directories(cpTarget);
        double synced = 0;
        const double seconds = timeCopyProgram(
            "/usr/bin/xargs", {"-0", "-a", listFile.string(), "cp", "-t", cpTarget.string()}, synced);
        cpTimes.push_back(seconds), cpSyncedTimes.push_back(synced);
        std::printf("  cp of the files %.2f s (%.2f s to disk)\n", seconds, synced);
    };
    auto runExport = [&] {
        tickOnly(run, true);
        double synced = 0;
        ExportSummary summary;
        const double seconds =
            timedExport(run, templates, work / ("files" + std::to_string(++runs)), synced, summary);
        if (summary.failed) std::cerr << summary.failed << " files failed\n";
        fileTimes.push_back(seconds), fileSyncedTimes.push_back(synced);
        std::printf("  export of the files %.2f s (%.2f s to disk)\n", seconds, synced);
    };
    for (int round = 0; round < kRounds; ++round) {
        if (round % 2 == 0) {
            runCp();
            runExport();
        } else {
            runExport();
            runCp();
        }
    }
    const double cp = median(cpTimes), files = median(fileTimes);
    std::printf("  median of %d: cp %.2f s (%.1f MiB/s), export %.2f s (%.1f MiB/s): export at %.0f%% of cp "
                "(to disk: cp %.2f s, export %.2f s, %.0f%%)\n",
                kRounds, cp, mib / cp, files, mib / files, 100.0 * cp / files, median(cpSyncedTimes),
                median(fileSyncedTimes), 100.0 * median(cpSyncedTimes) / median(fileSyncedTimes));

    tickOnly(run, false);
    double synced = 0;
    ExportSummary summary;
    const double documents = timedExport(run, templates, work / "documents", synced, summary);
    std::printf("documents (messages, contacts, calls, notes, WhatsApp): %.2f s (%.2f s to disk), %.1f MiB\n",
                documents, synced, static_cast<double>(bytesBelow(work / "documents")) / (1 << 20));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--backup") return benchBackup(argv[2]);
    if (argc >= 2 && std::string(argv[1]) == "--large-backup") {
        test::TempFolder generated("orvelle-bench-large-backup");
        std::cerr << "building the large backup...\n";
        test::buildLargeBackup(generated / "backup", argc > 2 ? std::stod(argv[2]) : 1.0);
        return benchBackup(generated / "backup");
    }
    const std::uint64_t totalMib = argc > 1 ? std::stoull(argv[1]) : 1024;
    const std::size_t files = argc > 2 ? std::stoull(argv[2]) : 2000;
    const std::size_t messages = argc > 3 ? std::stoull(argv[3]) : 250000;
    test::TempFolder work("orvelle-bench-export");
    if (totalMib > 0 && files > 0) benchCopies(work.path(), totalMib, files);
    if (messages > 0) {
        benchDocuments(work.path(), messages, 2500);
        benchDocuments(work.path(), messages, 1);
    }
    return 0;
}
