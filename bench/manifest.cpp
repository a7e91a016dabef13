// Manifest benchmark: loads a Manifest.db and a Manifest.mbdb of 300,000
// entries each and walks the list with the collecting operations.
//
// Every measurement runs in a child process of its own (so its peak resident
// memory is its own) and is timed inside it (process start and exit left
// out); nothing is printed while timed:
//   - loadManifest (Manifest.db): from the call to its return; it lists the
//     Files table through the SQLite library and builds the manifest list
//     (entries, the index by file ID).
//   - reference, the SQLite library alone: sqlite3_open_v2 (read-only),
//     prepare "select fileID,domain,relativePath from Files" (the columns the
//     load reads), step through every row, read every column's bytes.
//   - loadManifest (Manifest.mbdb): the binary manifest, for its throughput.
// The load and the reference alternate which goes first; every figure is the
// median of 5 rounds, warm cache. Also shown, labelled as such: the sqlite3
// shell as a whole process printing the same columns to /dev/null.
//
// usage: bench_manifest [--entries N] [--media-every N]
//        bench_manifest --generate N FOLDER   (only writes the inputs)

#include "BenchSupport.h"
#include "backup/BackupStore.h"
#include "backup/FileId.h"
#include "backup/ManifestDb.h"
#include "backup/ManifestMbdb.h"
#include "support/ManifestDbWriter.h"
#include "support/MbdbWriter.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvelle;
using orvelle::bench::Clock;

namespace {

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

/// A device path of the kind real backups hold, by entry number.
struct DevicePath {
    std::string domain;
    std::string relativePath;
    bool media = false; ///< a photo/video/attachment whose stored file the walk will open
};

DevicePath devicePath(std::size_t i, std::size_t mediaEvery) {
    char buf[256];
    const bool media = mediaEvery && i % mediaEvery == 0;
    switch (i % 20) {
    case 0:
    case 1: // camera roll
        std::snprintf(buf, sizeof buf, "Media/DCIM/%zuAPPLE/IMG_%06zu.HEIC", 100 + i / 20000, i);
        return {"CameraRollDomain", buf, media};
    case 2: // message attachments
        std::snprintf(buf, sizeof buf,
                      "Library/SMS/Attachments/%02zx/%02zu/%08zX-4C55-9E21-0A1B2C3D4E5F/IMG_%zu.jpeg",
                      i % 256, i % 16, i, i);
        return {"MediaDomain", buf, media};
    case 3: // WhatsApp
        std::snprintf(buf, sizeof buf, "Message/Media/1555%07zu@s.whatsapp.net/%zx/%zx/%08zx-photo.jpg",
                      i % 997, i % 16, (i / 16) % 16, i);
        return {"AppDomainGroup-group.net.whatsapp.WhatsApp.shared", buf, media};
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13: { // app files
        std::snprintf(buf, sizeof buf, "AppDomain-com.vendor%zu.app%zu", i % 37, i % 211);
        std::string domain = buf;
        std::snprintf(buf, sizeof buf, "Library/Caches/com.vendor%zu/fsCachedData/%08zX-%04zX.%s", i % 37, i,
                      i % 65536, i % 3 ? "plist" : "png");
        return {domain, buf, media && i % 3 == 0};
    }
    default: // system files
        std::snprintf(buf, sizeof buf, "Library/Preferences/com.apple.setting%zu/Cache-%zu.plist", i % 1000,
                      i);
        return {"HomeDomain", buf, false};
    }
}

/// A stand-in for the archived file record of the "file" column (about 600 bytes, as devices write).
std::string fileBlob(std::size_t i) {
    std::string blob = "bplist00";
    std::uint32_t state = static_cast<std::uint32_t>(i) * 2654435761u + 1;
    while (blob.size() < 600) {
        state = state * 1664525u + 1013904223u;
        blob.push_back(static_cast<char>(state >> 24));
    }
    return blob;
}

void generate(const std::filesystem::path& folder, std::size_t entries, std::size_t mediaEvery) {
    std::filesystem::create_directories(folder / "db");
    std::filesystem::create_directories(folder / "mbdb");
    test::ManifestDbWriter db(folder / "db" / "Manifest.db");
    std::string mbdb = test::mbdbHeader();
    FileIdHasher hasher;
    const std::string sample = test::mediaSample(test::MediaSample::Heic, 1024);
    std::size_t stored = 0;
    for (std::size_t i = 0; i < entries; ++i) {
        const DevicePath p = devicePath(i, mediaEvery);
        const std::string id = hasher.fileIdOf(p.domain + "-" + p.relativePath);
        db.add({id, p.domain, p.relativePath, test::kManifestFlagFile, fileBlob(i)});
        test::MbdbRecord r;
        r.domain = p.domain;
        r.relativePath = p.relativePath;
        r.dataHash = id.substr(0, 20);
        r.size = 1024 + i;
        r.inode = i;
        test::appendMbdbRecord(mbdb, r);
        if (p.media) {
            test::writeFile(folder / "db" / id.substr(0, 2) / id, sample);
            ++stored;
        }
    }
    db.finish();
    test::writeFile(folder / "mbdb" / "Manifest.mbdb", mbdb);
    std::printf("generated %zu entries, %zu stored media files\n", entries, stored);
}

/// Child modes: print "<seconds> <entries>" (and walk figures) on standard output.
int measure(const std::string& mode, const std::filesystem::path& folder) {
    BackupStore store({{}, folder / "data"});
    BackupInfo info;
    info.folder = folder.string();
    store.selectBackup(info);
    if (mode == "none") {
        std::printf("0 0\n");
        return 0;
    }
    if (mode == "library") {
        const auto start = Clock::now();
        const bench::LibraryRead read = bench::readWithLibrary((folder / "Manifest.db").string(),
                                                               {"select fileID,domain,relativePath from Files"});
        const double time = seconds(start);
        if (!read.ok) return 1;
        std::printf("%.6f %llu\n", time, static_cast<unsigned long long>(read.rows));
        return 0;
    }
    const auto start = Clock::now();
    const Status status = store.loadManifest(folder);
    const double load = seconds(start);
    if (status != kStatusOk) {
        std::fprintf(stderr, "load failed: %d\n", status);
        return 1;
    }
    if (mode != "walk") {
        std::printf("%.6f %zu\n", load, store.manifest().size());
        return 0;
    }
    std::vector<MediaFileRecord> cameraRoll, photoStream;
    std::vector<AttachmentRecord> attachments;
    std::vector<AppFileRecord> apps;
    auto t = Clock::now();
    store.scanCameraRoll(cameraRoll, photoStream);
    const double cameraRollTime = seconds(t);
    t = Clock::now();
    store.scanMessageAttachments(attachments);
    const double attachmentTime = seconds(t);
    t = Clock::now();
    store.scanAppFiles(apps);
    const double appTime = seconds(t);
    std::printf("%.6f %zu %.6f %.6f %.6f %zu %zu %zu %zu\n", load, store.manifest().size(), cameraRollTime,
                attachmentTime, appTime, cameraRoll.size(), attachments.size(), apps.size(),
                store.whatsAppAttachments().size());
    return 0;
}

using ChildResult = bench::ChildRun;

/// Runs `argv` as a child; exits when it fails.
ChildResult runChild(const std::vector<std::string>& argv, bool discardOutput = false) {
    ChildResult result = bench::runProgram(argv, discardOutput);
    if (!result.ok) {
        std::fprintf(stderr, "child %s failed\n", argv[0].c_str());
        std::exit(1);
    }
    return result;
}

double mib(double bytes) {
    return bytes / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) return measure(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) {
        // Inputs only, into a folder of the caller's choice (for profiling).
        generate(argv[3], std::strtoull(argv[2], nullptr, 10), 7);
        return 0;
    }
    std::size_t entries = 300000;
    std::size_t mediaEvery = 7; // one entry in seven of the media kinds has its stored file
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--entries") == 0) entries = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--media-every") == 0) mediaEvery = std::strtoull(argv[i + 1], nullptr, 10);
    }
    test::TempFolder temp("orvelle-bench-manifest");
    const std::string exe = bench::selfPath();

    {
        const auto start = Clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            generate(temp.path(), entries, mediaEvery);
            std::fflush(stdout);
            std::_Exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        std::printf("generation took %.1f s\n", seconds(start));
    }
    const auto dbPath = temp / "db" / "Manifest.db";
    const auto mbdbPath = temp / "mbdb" / "Manifest.mbdb";
    const double dbSize = static_cast<double>(std::filesystem::file_size(dbPath));
    const double mbdbSize = static_cast<double>(std::filesystem::file_size(mbdbPath));

    // Warm the cache, and measure an idle child's resident memory as the baseline.
    runChild({"cat", dbPath.string(), mbdbPath.string()}, true);
    const ChildResult idle = runChild({exe, "--measure", "none", (temp / "empty").string()});
    const long baselineKiB = idle.peakKiB;

    const int rounds = 5;
    std::vector<double> libraryTimes, dbTimes, mbdbTimes, shellTimes, libraryCpu, dbCpu, mbdbCpu;
    long dbPeak = 0, mbdbPeak = 0, libraryPeak = 0;
    auto runLibrary = [&] {
        const ChildResult library = runChild({exe, "--measure", "library", (temp / "db").string()});
        libraryTimes.push_back(std::strtod(library.output.c_str(), nullptr));
        libraryPeak = std::max(libraryPeak, library.peakKiB);
        libraryCpu.push_back(library.cpuSeconds - idle.cpuSeconds);
    };
    auto runLoad = [&] {
        const ChildResult db = runChild({exe, "--measure", "db", (temp / "db").string()});
        dbTimes.push_back(std::strtod(db.output.c_str(), nullptr));
        dbPeak = std::max(dbPeak, db.peakKiB);
        dbCpu.push_back(db.cpuSeconds - idle.cpuSeconds);
    };
    for (int r = 0; r < rounds; ++r) {
        // The load and its reference alternate which goes first.
        if (r % 2 == 0)
            runLibrary(), runLoad();
        else
            runLoad(), runLibrary();
        const ChildResult mbdb = runChild({exe, "--measure", "mbdb", (temp / "mbdb").string()});
        mbdbTimes.push_back(std::strtod(mbdb.output.c_str(), nullptr));
        mbdbPeak = std::max(mbdbPeak, mbdb.peakKiB);
        mbdbCpu.push_back(mbdb.cpuSeconds - idle.cpuSeconds);
        shellTimes.push_back(
            runChild({"sqlite3", dbPath.string(), "select fileID,domain,relativePath from Files"}, true)
                .wallSeconds);
    }
    const ChildResult walk = runChild({exe, "--measure", "walk", (temp / "db").string()});
    const std::string walkLine = walk.output;
    const long walkPeak = walk.peakKiB;

    using bench::median;
    const double libraryT = median(libraryTimes), dbT = median(dbTimes), mbdbT = median(mbdbTimes);
    double load = 0, crT = 0, atT = 0, appT = 0;
    std::size_t n = 0, cr = 0, at = 0, apps = 0, wa = 0;
    std::sscanf(walkLine.c_str(), "%lf %zu %lf %lf %lf %zu %zu %zu %zu", &load, &n, &crT, &atT, &appT, &cr,
                &at, &apps, &wa);

    std::printf("\nManifest benchmark, %zu entries (median of %d rounds, warm cache, each timed in its own process)\n",
                entries, rounds);
    std::printf("  %-52s %10s %12s %12s\n", "", "time (s)", "size (MiB)", "peak (MiB)");
    std::printf("  %-52s %10.3f %12.1f %12.1f\n", "SQLite library: select fileID,domain,relativePath",
                libraryT, mib(dbSize), (libraryPeak - baselineKiB) / 1024.0);
    std::printf("  %-52s %10.3f %12.1f %12.1f\n", "loadManifest (Manifest.db)", dbT, mib(dbSize),
                (dbPeak - baselineKiB) / 1024.0);
    std::printf("  %-52s %10.3f %12.1f %12.1f\n", "loadManifest (Manifest.mbdb)", mbdbT, mib(mbdbSize),
                (mbdbPeak - baselineKiB) / 1024.0);
    std::printf("  %-52s %10.3f %12s %12s\n", "(sqlite3 shell printing, whole process)", median(shellTimes),
                "", "-");
    std::printf("\n  Manifest.db load / SQLite library:  %.3f s / %.3f s = %.2fx wall; CPU %.3f s / %.3f s = %.2fx "
                "(target <= 1.5x)\n",
                dbT, libraryT, dbT / libraryT, median(dbCpu), median(libraryCpu), median(dbCpu) / median(libraryCpu));
    std::printf("  (old yardstick: / sqlite3 shell as a whole process %.3f s = %.2fx)\n", median(shellTimes),
                dbT / median(shellTimes));
    std::printf("  Manifest.mbdb throughput:           %.0f MB/s wall, %.0f MB/s CPU (target >= 200 MB/s)\n",
                mbdbSize / mbdbT / 1e6, mbdbSize / median(mbdbCpu) / 1e6);
    std::printf("  peak memory / manifest size:        db %.2fx, mbdb %.2fx (target < 3x)\n",
                (dbPeak - baselineKiB) * 1024.0 / dbSize, (mbdbPeak - baselineKiB) * 1024.0 / mbdbSize);
    std::printf("  (baseline resident memory of an idle child: %.1f MiB, subtracted)\n",
                baselineKiB / 1024.0);
    std::printf("\n  Collecting walk over %zu entries (Manifest.db load %.3f s, peak %.1f MiB):\n", n, load,
                (walkPeak - baselineKiB) / 1024.0);
    std::printf("    scanCameraRoll          %8.3f s  %6zu files\n", crT, cr);
    std::printf("    scanMessageAttachments  %8.3f s  %6zu files\n", atT, at);
    std::printf("    scanAppFiles            %8.3f s  %6zu app files, %zu WhatsApp files\n", appT, apps, wa);
    return 0;
}
