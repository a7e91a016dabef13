// Decryption throughput: a 1 GiB encrypted backup of 2,000 files, decrypted by
// orvelle-decrypt, against the floor the file system sets and against
// `openssl enc -d -aes-256-cbc` over the same bytes, in the same run.
//
// The sides, each timed by wall clock from start to end, with its processor
// time (user + system) beside it; each figure is the median of 3 rounds, the
// sides taking turns to go first, every run from a warm cache with no dirty
// pages left by the one before:
//   - orvelle-decrypt: the whole program (start, password key derivation,
//     manifest, 2,000 files decrypted into 2,000 new files on one worker
//     thread per core).
//   - floor, the main yardstick: the same cipher text copied into as many new
//     files, in this process, on one thread, without any cipher.
//   - openssl: one `openssl enc -d` process over all cipher text joined into
//     one file: the cipher and the disk at full speed, one thread, one output
//     file. Its ratio is given by wall time and by processor time, since ours
//     uses every core and openssl one.
// For comparison it also gives openssl run once per stored file into as many
// new files (the same work as ours, file for file, but mostly the cost of
// starting openssl, which is measured on its own). The password key is
// derived once per run; its cost shows on its own in the wrong-password run.
//
//   bench_decrypt [--keep FOLDER] [--program PATH] [TOTAL_MIB [FILES]]
//                                                     (defaults 1024 and 2000)
//
// --keep FOLDER builds the encrypted backup in FOLDER and leaves it there (a
// later run with the same FOLDER and sizes reuses it), for profiling
// orvelle-decrypt on it: the password is "orvelle". --program PATH times
// another build of orvelle-decrypt instead of the one beside this program.

#include "BenchSupport.h"
#include "backup/encryption/BackupDecryption.h"
#include "backup/encryption/DecryptProtocol.h"
#include "decrypt/OrderedWork.h"
#include "platform/Process.h"
#include "support/BackupBuilder.h"
#include "support/BackupEncrypter.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace orvelle;

namespace {

const fs::path kOpenssl = "/usr/bin/openssl";
const std::string kOpensslKey(64, '7');
const std::string kOpensslIv(32, '0');

struct Options {
    std::uint64_t totalMiB = 1024;
    std::size_t fileCount = 2000;
    std::optional<fs::path> keep;
    fs::path program = defaultDecryptProgram(); // beside this program in bin/
};

Options parseOptions(int argc, char** argv) {
    Options options;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep" && i + 1 < argc)
            options.keep = fs::absolute(argv[++i]);
        else if (arg == "--program" && i + 1 < argc)
            options.program = fs::absolute(argv[++i]);
        else
            positional.push_back(arg);
    }
    if (positional.size() > 0) options.totalMiB = std::stoull(positional[0]);
    if (positional.size() > 1) options.fileCount = std::stoul(positional[1]);
    if (options.totalMiB == 0 || options.fileCount == 0) {
        std::cerr << "usage: bench_decrypt [--keep FOLDER] [--program PATH] [TOTAL_MIB [FILES]]\n";
        std::exit(2);
    }
    return options;
}

// Processor time (user and system) of all children waited for so far.
double childCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs `program` to its end; the wall time in seconds.
double runProgram(const fs::path& program, const std::vector<std::string>& args, const std::string& input,
                  int& exitCode, std::string& output) {
    const auto start = std::chrono::steady_clock::now();
    platform::ChildProcess child;
    std::error_code ec;
    if (!child.start(program, args, ec)) {
        std::cerr << "cannot start " << program << ": " << ec.message() << '\n';
        std::exit(1);
    }
    child.writeInput(input);
    child.closeInput();
    while (child.readOutput(output, 65536, 1000) != platform::ChildProcess::ReadStatus::EndOfOutput) {
    }
    exitCode = child.wait();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Flushes dirty pages first, so neither run pays for the other's writes.
// `cpuSeconds` receives the processor time the run took.
double runSeconds(const fs::path& program, const std::vector<std::string>& args, const std::string& input,
                  int& exitCode, std::string& output, double* cpuSeconds = nullptr) {
    ::sync();
    const double cpuBefore = childCpuSeconds();
    const double seconds = runProgram(program, args, input, exitCode, output);
    if (cpuSeconds) *cpuSeconds = childCpuSeconds() - cpuBefore;
    return seconds;
}

std::vector<std::string> opensslArguments(const fs::path& in, const fs::path& out) {
    return {"enc", "-d",       "-aes-256-cbc", "-nopad",    "-K",   kOpensslKey,
            "-iv", kOpensslIv, "-in",          in.string(), "-out", out.string()};
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
void warm(const std::vector<fs::path>& files) {
    std::vector<char> buffer(1 << 20);
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        }
    }
}

// The same bytes copied into as many new files, without any cipher: what the
// file system alone charges for writing the copy.
double copySeconds(const std::vector<fs::path>& files, const fs::path& folder) {
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    fs::create_directories(folder);
    std::vector<char> buffer(1 << 20);
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ofstream out(folder / file.filename(), std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
            out.write(buffer.data(), in.gcount());
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// openssl once per file, each into a new file of `folder`.
double opensslPerFileSeconds(const std::vector<fs::path>& files, const fs::path& folder) {
    ::sync();
    fs::create_directories(folder);
    const auto start = std::chrono::steady_clock::now();
    int exitCode = 0;
    std::string output;
    for (const fs::path& file : files) {
        runProgram(kOpenssl, opensslArguments(file, folder / file.filename()), "", exitCode, output);
        if (exitCode != 0) {
            std::cerr << "openssl failed on " << file << ": " << output << '\n';
            std::exit(1);
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What starting openssl `count` times costs by itself: each run decrypts one
// cipher block into /dev/null.
double opensslStartupSeconds(std::size_t count, const fs::path& oneBlock) {
    const auto start = std::chrono::steady_clock::now();
    int exitCode = 0;
    std::string output;
    for (std::size_t i = 0; i < count; ++i)
        runProgram(kOpenssl, opensslArguments(oneBlock, "/dev/null"), "", exitCode, output);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct BenchBackup {
    fs::path encrypted;
    std::string password;
    std::vector<fs::path> storedFiles; // the encrypted stored files, in manifest order
    fs::path joined;                   // their bytes back to back
    std::uint64_t cipherBytes = 0;
};

// Plain backup: the manifest through BackupBuilder, the stored files written
// one at a time (never the whole gigabyte in memory). Sizes vary around the
// mean, as in a camera roll; they add up to the total exactly. A finished
// backup already in `folder` (same sizes) is reused.
BenchBackup makeBackup(const fs::path& folder, std::uint64_t totalMiB, std::size_t fileCount) {
    const std::uint64_t total = totalMiB << 20;
    BenchBackup backup;
    backup.encrypted = folder / "encrypted";
    backup.joined = folder / "joined.bin";
    test::EncryptionSettings settings;
    settings.iterations = 10000;
    settings.dpIterations = 10000;
    backup.password = settings.password;

    test::BackupBuilder builder;
    std::vector<std::pair<fs::path, std::size_t>> stored;
    std::uint64_t remaining = total;
    for (std::size_t i = 0; i < fileCount; ++i) {
        const std::uint64_t mean = remaining / (fileCount - i);
        std::uint64_t size = i + 1 == fileCount ? remaining : mean * (3 + i % 3) / 4; // 75%..125%
        size = std::min(size, remaining);
        remaining -= size;
        test::BackupBuilder::Entry entry;
        entry.domain = "CameraRollDomain";
        entry.relativePath = "Media/DCIM/100APPLE/IMG_" + std::to_string(1000 + i) + ".JPG";
        entry.stored = false;
        stored.emplace_back(builder.storedRelativePath(entry), size);
        builder.add(std::move(entry));
    }
    for (const auto& entry : stored)
        backup.storedFiles.push_back(backup.encrypted / entry.first);

    const fs::path done = folder / ("complete-" + std::to_string(totalMiB) + "-" + std::to_string(fileCount));
    if (fs::exists(done)) {
        std::cerr << "reusing the backup in " << folder << '\n';
        backup.cipherBytes = fs::file_size(backup.joined);
        return backup;
    }
    fs::remove_all(folder);
    std::cerr << "building a " << totalMiB << " MiB backup of " << fileCount << " files...\n";
    const fs::path plain = folder / "plain";
    builder.build(plain);
    for (std::size_t i = 0; i < stored.size(); ++i)
        test::writeFile(plain / stored[i].first, fill(stored[i].second, i));
    test::BackupEncrypter(settings).encrypt(plain, backup.encrypted);
    fs::remove_all(plain);

    std::ofstream out(backup.joined, std::ios::binary);
    for (const fs::path& file : backup.storedFiles) {
        const std::string bytes = test::readFile(file);
        backup.cipherBytes += bytes.size();
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    out.close();
    test::writeFile(done, "");
    return backup;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    const fs::path& program = options.program;

    test::TempFolder temp("orvelle-bench-decrypt");
    const fs::path backupFolder = options.keep ? *options.keep : temp / "backup";
    const BenchBackup backup = makeBackup(backupFolder, options.totalMiB, options.fileCount);
    const fs::path oneBlock = temp / "one-block.bin";
    test::writeFile(oneBlock, std::string(16, '\0'));

    int exitCode = 0;
    std::string output;
    const double derivation = runSeconds(program, {backup.encrypted.string(), (temp / "wrong").string()},
                                         "wrong\n", exitCode, output);
    if (exitCode != kDecryptExitWrongPassword) std::cerr << "unexpected: " << output << '\n';

    std::vector<fs::path> encryptedFiles = backup.storedFiles;
    encryptedFiles.push_back(backup.encrypted / "Manifest.db");

    std::vector<double> ours, oursCpu, openssl, opensslCpu, copy, copyCpu;
    auto runOurs = [&](int round) {
        const fs::path out = temp / ("copy" + std::to_string(round));
        output.clear();
        warm(encryptedFiles);
        double cpu = 0;
        const double seconds = runSeconds(program, {backup.encrypted.string(), out.string()},
                                          backup.password + "\n", exitCode, output, &cpu);
        if (exitCode != 0) {
            std::cerr << "orvelle-decrypt failed: " << output << '\n';
            std::exit(1);
        }
        ours.push_back(seconds), oursCpu.push_back(cpu);
        fs::remove_all(out);
    };
    auto runOpenssl = [&] {
        output.clear();
        warm({backup.joined});
        double cpu = 0;
        const double seconds = runSeconds(kOpenssl, opensslArguments(backup.joined, temp / "openssl.out"), "",
                                          exitCode, output, &cpu);
        if (exitCode != 0) {
            std::cerr << "openssl failed: " << output << '\n';
            std::exit(1);
        }
        openssl.push_back(seconds), opensslCpu.push_back(cpu);
        fs::remove(temp / "openssl.out");
    };
    auto runCopy = [&] {
        warm(encryptedFiles);
        const double cpuBefore = bench::processCpuSeconds();
        copy.push_back(copySeconds(encryptedFiles, temp / "plain-copy"));
        copyCpu.push_back(bench::processCpuSeconds() - cpuBefore);
        fs::remove_all(temp / "plain-copy");
    };
    for (int round = 0; round < 3; ++round) {
        // The sides take turns to go first.
        for (int turn = 0; turn < 3; ++turn) {
            switch ((round + turn) % 3) {
            case 0: runOurs(round); break;
            case 1: runOpenssl(); break;
            default: runCopy(); break;
            }
        }
        std::fprintf(stderr, "round %d: orvelle-decrypt %.3f s, openssl %.3f s, copy %.3f s\n", round + 1,
                     ours.back(), openssl.back(), copy.back());
    }
    using bench::median;
    const double best = median(ours), bestCpu = median(oursCpu);
    const double bestOpenssl = median(openssl), bestOpensslCpu = median(opensslCpu);
    const double bestCopy = median(copy), bestCopyCpu = median(copyCpu);
    // Once: 2,000 program starts make it slow, and it is not the baseline.
    warm(backup.storedFiles);
    const double perFile = opensslPerFileSeconds(backup.storedFiles, temp / "openssl-files");
    fs::remove_all(temp / "openssl-files");
    const double startup = opensslStartupSeconds(backup.storedFiles.size(), oneBlock);

    const double mib = static_cast<double>(options.totalMiB);
    const std::size_t files = backup.storedFiles.size();
    std::printf("decrypt: %.0f MiB in %zu files (%.0f MiB of cipher text)\n", mib, files,
                static_cast<double>(backup.cipherBytes) / (1 << 20));
    std::printf("  key derivation + start-up (wrong-password run): %.3f s\n", derivation);
    const std::string threads = options.program == defaultDecryptProgram()
                                    ? "; " + std::to_string(decrypt::workThreadCount()) + " threads"
                                    : "; " + options.program.string();
    std::printf("  (medians of 3 rounds; processor time = user + system of all threads)\n");
    std::printf("  orvelle-decrypt:            %.3f s  %8.1f MiB/s  (processor time %.3f s%s)\n", best,
                mib / best, bestCpu, threads.c_str());
    std::printf("  floor: plain copy into %zu new files, no cipher, one thread: %.3f s  %8.1f MiB/s  (processor "
                "time %.3f s)\n",
                encryptedFiles.size(), bestCopy, mib / bestCopy, bestCopyCpu);
    std::printf("  => orvelle-decrypt / floor: %.3f s / %.3f s = %.2fx the time of a plain copy\n", best, bestCopy,
                best / bestCopy);
    std::printf(
        "  openssl enc -d aes-256-cbc: %.3f s  %8.1f MiB/s  (processor time %.3f s; one joined file, one thread)\n",
        bestOpenssl, mib / bestOpenssl, bestOpensslCpu);
    std::printf("  ratio to openssl: wall %.0f%% of openssl's speed; processor time %.2fx openssl's\n",
                100.0 * bestOpenssl / best, bestCpu / bestOpensslCpu);
    std::printf("  openssl once per file:      %.3f s  %8.1f MiB/s  (%zu runs; starting openssl %zu times\n"
                "                              on one cipher block alone takes %.3f s)\n",
                perFile, mib / perFile, files, files, startup);
    return 0;
}
