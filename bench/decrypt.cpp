// Decryption throughput: a 1 GiB encrypted backup of 2,000 files, decrypted by
// orvelle-decrypt, against `openssl enc -d -aes-256-cbc` over the same bytes
// in the same run. The password key is derived once per run; its cost shows
// on its own in the wrong-password run.
//
//   bench_decrypt [TOTAL_MIB [FILES]]     (defaults 1024 and 2000)

#include "backup/encryption/BackupDecryption.h"
#include "backup/encryption/DecryptProtocol.h"
#include "platform/Process.h"
#include "support/BackupBuilder.h"
#include "support/BackupEncrypter.h"
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

// Flushes dirty pages first, so neither run pays for the other's writes.
double runSeconds(const fs::path& program, const std::vector<std::string>& args, const std::string& input,
                  int& exitCode, std::string& output) {
    ::sync();
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

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t totalMiB = argc > 1 ? std::stoull(argv[1]) : 1024;
    const std::size_t fileCount = argc > 2 ? std::stoul(argv[2]) : 2000;
    const std::uint64_t total = totalMiB << 20;
    const fs::path program = defaultDecryptProgram(); // beside this program in bin/

    test::TempFolder temp("orvelle-bench-decrypt");
    const fs::path plain = temp / "plain";
    const fs::path encrypted = temp / "encrypted";

    // Plain backup: the manifest through BackupBuilder, the stored files written
    // one at a time (never the whole gigabyte in memory). Sizes vary around the
    // mean, as in a camera roll; they add up to the total exactly.
    std::cerr << "building a " << totalMiB << " MiB backup of " << fileCount << " files...\n";
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
    builder.build(plain);
    for (std::size_t i = 0; i < stored.size(); ++i)
        test::writeFile(plain / stored[i].first, fill(stored[i].second, i));

    test::EncryptionSettings settings;
    settings.iterations = 10000;
    settings.dpIterations = 10000;
    test::BackupEncrypter(settings).encrypt(plain, encrypted);
    fs::remove_all(plain);

    // The same cipher bytes in one file for openssl.
    const fs::path joined = temp / "joined.bin";
    std::uint64_t cipherBytes = 0;
    {
        std::ofstream out(joined, std::ios::binary);
        for (const auto& [relative, size] : stored) {
            const std::string bytes = test::readFile(encrypted / relative);
            cipherBytes += bytes.size();
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }

    int exitCode = 0;
    std::string output;
    const double derivation =
        runSeconds(program, {encrypted.string(), (temp / "wrong").string()}, "wrong\n", exitCode, output);
    if (exitCode != kDecryptExitWrongPassword) std::cerr << "unexpected: " << output << '\n';

    std::vector<fs::path> encryptedFiles;
    for (const auto& entry : stored)
        encryptedFiles.push_back(encrypted / entry.first);
    encryptedFiles.push_back(encrypted / "Manifest.db");

    double best = 1e9, bestOpenssl = 1e9, bestCopy = 1e9;
    for (int round = 0; round < 3; ++round) {
        const fs::path out = temp / ("copy" + std::to_string(round));
        output.clear();
        warm(encryptedFiles);
        const double seconds = runSeconds(program, {encrypted.string(), out.string()},
                                          settings.password + "\n", exitCode, output);
        if (exitCode != 0) {
            std::cerr << "orvelle-decrypt failed: " << output << '\n';
            return 1;
        }
        best = std::min(best, seconds);
        fs::remove_all(out);

        output.clear();
        warm({joined});
        const double opensslSeconds = runSeconds("/usr/bin/openssl",
                                                 {"enc", "-d", "-aes-256-cbc", "-nopad", "-K",
                                                  std::string(64, '7'), "-iv", std::string(32, '0'), "-in",
                                                  joined.string(), "-out", (temp / "openssl.out").string()},
                                                 "", exitCode, output);
        if (exitCode != 0) {
            std::cerr << "openssl failed: " << output << '\n';
            return 1;
        }
        bestOpenssl = std::min(bestOpenssl, opensslSeconds);
        fs::remove(temp / "openssl.out");

        warm(encryptedFiles);
        bestCopy = std::min(bestCopy, copySeconds(encryptedFiles, temp / "plain-copy"));
        fs::remove_all(temp / "plain-copy");
    }

    const double mib = static_cast<double>(total) / (1 << 20);
    std::printf("decrypt: %.0f MiB in %zu files (%.0f MiB of cipher text)\n", mib, fileCount,
                static_cast<double>(cipherBytes) / (1 << 20));
    std::printf("  key derivation + start-up (wrong-password run): %.3f s\n", derivation);
    std::printf("  orvelle-decrypt:            %.3f s  %8.1f MiB/s\n", best, mib / best);
    std::printf("  openssl enc -d aes-256-cbc: %.3f s  %8.1f MiB/s\n", bestOpenssl, mib / bestOpenssl);
    std::printf("  ratio: %.0f%% of openssl\n", 100.0 * bestOpenssl / best);
    std::printf("  floor: copying the same bytes into %zu new files, no cipher: %.3f s  %8.1f MiB/s\n",
                encryptedFiles.size(), bestCopy, mib / bestCopy);
    return 0;
}
