// The decryption of many stored files on several threads: the copy, the
// messages and the progress counts come out as a run on one thread makes them.

#include "decrypt/BackupDecrypter.h"

#include "decrypt/FileDecryption.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace orvelle::decrypt {
namespace {

namespace fs = std::filesystem;
using test::FixtureFile;
using test::ManifestKind;

// Distinct bytes per file, so a block landing in the wrong file or place shows.
std::string contentOf(std::size_t index, std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>((index * 131 + i * 7 + i / 251) & 0xFF);
    return out;
}

std::vector<std::uint64_t> counts(const std::string& progress) {
    std::vector<std::uint64_t> out;
    std::istringstream lines(progress);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("Count: ", 0), 0u) << line;
        out.push_back(std::stoull(line.substr(7)));
    }
    return out;
}

struct RunResult {
    BackupDecrypter::Outcome outcome;
    std::string progress;
    std::string messages;
    std::size_t skipped;
};

RunResult decrypt(const fs::path& backup, const fs::path& output, unsigned threads) {
    std::ostringstream progress, messages;
    BackupDecrypter decrypter(backup, output, progress, messages, messages, threads);
    std::string error;
    const BackupDecrypter::Outcome outcome = decrypter.run("orvelle", error);
    EXPECT_EQ(error, "");
    return {outcome, progress.str(), messages.str(), decrypter.skippedCount()};
}

class ManyFiles : public ::testing::TestWithParam<ManifestKind> {
protected:
    test::TempFolder temp{"orvelle-decrypt-many"};
};

TEST_P(ManyFiles, SeveralThreadsWriteTheSameCopyAndMessagesAsOne) {
    constexpr std::size_t kFiles = 160;
    std::vector<FixtureFile> files;
    for (std::size_t i = 0; i < kFiles; ++i) {
        FixtureFile f;
        f.domain = "CameraRollDomain";
        f.relativePath = "Media/DCIM/100APPLE/IMG_" + std::to_string(1000 + i) + ".JPG";
        f.content = contentOf(i, (i * 397) % 9000 + (i % 50 == 7 ? kDecryptChunkSize : 0));
        files.push_back(std::move(f));
    }
    // Every 37th file's key is damaged: skipped with a message, all through the run.
    std::set<std::string> damaged;
    for (std::size_t i = 5; i < kFiles; i += 37)
        damaged.insert(files[i].domainPath());
    test::EncryptionSettings settings;
    settings.keyRecordHook = [&](const std::string& domainPath, std::string& record) {
        if (damaged.count(domainPath)) record.resize(record.size() - 8);
    };
    const bool mbdb = GetParam() == ManifestKind::Mbdb;
    std::vector<FixtureFile> listed = files;
    // The older manifest may list a file twice; the later record decides
    // (here: a file larger than a chunk, listed again right after itself).
    if (mbdb) listed.insert(listed.begin() + 8, files[7]);
    test::writeEncryptedBackup(temp / "plain", temp / "backup", GetParam(), listed, settings);

    const RunResult one = decrypt(temp / "backup", temp / "one", 1);
    const RunResult several = decrypt(temp / "backup", temp / "several", 4);
    ASSERT_EQ(one.outcome, BackupDecrypter::Outcome::Ok) << one.messages;
    ASSERT_EQ(several.outcome, BackupDecrypter::Outcome::Ok) << several.messages;

    EXPECT_EQ(several.messages, one.messages) << "the same messages in the same order";
    EXPECT_EQ(several.skipped, damaged.size());
    std::string expected;
    for (const FixtureFile& f : files)
        if (damaged.count(f.domainPath()))
            expected += "Skipped " + f.fileId() + ": wrapped file key has 32 bytes, expected 40\n";
    EXPECT_EQ(several.messages, expected) << "in manifest order";

    for (const RunResult* run : {&one, &several}) {
        const std::vector<std::uint64_t> seen = counts(run->progress);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front(), 0u);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << run->progress;
        EXPECT_EQ(seen.back(), listed.size());
    }
    for (const FixtureFile& f : files) {
        SCOPED_TRACE(f.relativePath);
        if (damaged.count(f.domainPath())) {
            EXPECT_FALSE(fs::exists(temp / "several" / f.fileId()));
            continue;
        }
        // (compared as a whole: a failure need not print a megabyte)
        EXPECT_TRUE(test::readFile(temp / "several" / f.fileId()) == f.content);
        EXPECT_TRUE(test::readFile(temp / "one" / f.fileId()) == f.content);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, ManyFiles, ::testing::Values(ManifestKind::Db, ManifestKind::Mbdb));

} // namespace
} // namespace orvelle::decrypt
