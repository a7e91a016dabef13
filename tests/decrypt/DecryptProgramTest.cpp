// orvelle-decrypt end to end: encrypted fixture backups in, plain files out.

#include "backup/encryption/DecryptProtocol.h"
#include "decrypt/KeyDerivation.h"
#include "platform/Process.h"
#include "support/BackupEncrypter.h"
#include "support/EncryptedFixture.h"
#include "support/SignalledRun.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvelle::test {
namespace {

namespace fs = std::filesystem;

const fs::path kProgram = fs::path(ORVELLE_BIN_DIR) / kDecryptProgramName;

struct RunResult {
    int exitCode = -1;
    std::string output;
};

RunResult runDecrypt(const std::vector<std::string>& arguments, const std::string& stdinText) {
    platform::ChildProcess child;
    std::error_code ec;
    RunResult result;
    if (!child.start(kProgram, arguments, ec)) {
        ADD_FAILURE() << "cannot start " << kProgram << ": " << ec.message();
        return result;
    }
    child.writeInput(stdinText);
    child.closeInput();
    while (child.readOutput(result.output, 4096, 1000) != platform::ChildProcess::ReadStatus::EndOfOutput) {
    }
    result.exitCode = child.wait();
    return result;
}

RunResult runDecrypt(const fs::path& backup, const fs::path& output, const std::string& password) {
    return runDecrypt({backup.string(), output.string()}, password + "\n");
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file()) out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

std::string lastCountLine(const std::string& output) {
    const auto at = output.rfind(kCountText);
    return at == std::string::npos ? "" : output.substr(at, output.find('\n', at) - at);
}

class DecryptProgram : public ::testing::Test {
protected:
    TempFolder temp{"orvelle-decrypt"};
    fs::path plain = temp / "plain";
    fs::path backup = temp / "encrypted backup";
    fs::path output = temp / "decrypted copy with spaces";
    std::vector<FixtureFile> files = sampleFixtureFiles();
};

struct FormCase {
    ManifestKind form;
    bool doubleProtection;
};

class DecryptProgramForms : public DecryptProgram, public ::testing::WithParamInterface<FormCase> {};

TEST_P(DecryptProgramForms, RestoresEveryFileByteForByte) {
    EncryptionSettings settings;
    settings.doubleProtection = GetParam().doubleProtection;
    settings.password = "pass word \xC3\xA9";
    writeEncryptedBackup(plain, backup, GetParam().form, files, settings);
    for (const FixtureFile& f : files)
        if (!f.content.empty())
            ASSERT_NE(readFile(GetParam().form == ManifestKind::Mbdb
                                   ? backup / f.fileId()
                                   : backup / f.fileId().substr(0, 2) / f.fileId()),
                      f.content);
    const auto backupBefore = filesIn(backup);

    const RunResult run = runDecrypt(backup, output, settings.password);
    ASSERT_EQ(run.exitCode, kDecryptExitOk) << run.output;
    EXPECT_EQ(lastCountLine(run.output), "Count: " + std::to_string(files.size()));
    for (const FixtureFile& f : files)
        EXPECT_EQ(readFile(output / f.fileId()), f.content) << f.relativePath;

    const bool hasDb = GetParam().form == ManifestKind::Db;
    EXPECT_EQ(fs::exists(output / kDecryptedManifestFile), hasDb);
    if (hasDb)
        EXPECT_EQ(readFile(output / kDecryptedManifestFile).substr(0, 16),
                  std::string("SQLite format 3\0", 16));
    EXPECT_EQ(filesIn(output).size(), files.size() + (hasDb ? 1 : 0)) << "flat copy, nothing else";
    EXPECT_EQ(filesIn(backup), backupBefore) << "the backup folder is only read";
}

INSTANTIATE_TEST_SUITE_P(Forms, DecryptProgramForms,
                         ::testing::Values(FormCase{ManifestKind::Db, true},
                                           FormCase{ManifestKind::Db, false},
                                           FormCase{ManifestKind::Mbdb, false},
                                           FormCase{ManifestKind::Mbdb, true}));

TEST_F(DecryptProgram, WrongPasswordIsReportedAndNothingIsWritten) {
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files);
    const RunResult run = runDecrypt(backup, output, "not the password");
    EXPECT_EQ(run.exitCode, kDecryptExitWrongPassword);
    EXPECT_NE(run.output.find(kWrongPasswordText), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(DecryptProgram, DamagedBackupsFailWithAClearError) {
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files);
    struct Case {
        const char* name;
        std::function<void()> damage;
        const char* message;
    };
    const fs::path plist = backup / "Manifest.plist";
    const std::string goodPlist = readFile(plist);
    BackupEncrypter encrypter;
    encrypter.encrypt(plain, temp / "reference");
    const std::string bag = encrypter.keyBag();
    // The first class key's WPKY record: cut one byte from its value.
    std::string shortClassKey = bag;
    const auto wpky = shortClassKey.find("WPKY");
    shortClassKey[wpky + 7] = 39;
    shortClassKey.erase(wpky + 8, 1);
    const Case cases[] = {
        {"missing Manifest.plist", [&] { fs::remove(plist); }, "Manifest.plist"},
        {"Manifest.plist not a property list", [&] { writeFile(plist, "not a plist"); },
         "not a property list"},
        {"truncated keybag",
         [&] { BackupEncrypter::writeManifestPlist(plist, bag.substr(0, bag.size() - 7), "x"); }, "keybag"},
        {"keybag of noise", [&] { BackupEncrypter::writeManifestPlist(plist, std::string(64, '\x01'), "x"); },
         "keybag"},
        {"class key of the wrong size",
         [&] { BackupEncrypter::writeManifestPlist(plist, shortClassKey, "x"); }, "expected 40"},
        {"no manifest", [&] { fs::remove(backup / "Manifest.db"); }, "neither Manifest.db nor Manifest.mbdb"},
        {"iteration count out of range", [&] { plantKeyBagCount(backup, "ITER", 0xFFFFFFFF); },
         "the backup's keybag is damaged: its iteration count ITER is 4294967295, out of range"},
        {"iteration count zero", [&] { plantKeyBagCount(backup, "DPIC", 0); },
         "the backup's keybag is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(plist, goodPlist);
        c.damage();
        const RunResult run = runDecrypt(backup, output, "orvelle");
        EXPECT_EQ(run.exitCode, kDecryptExitDamaged) << run.output;
        EXPECT_EQ(run.output.find(kWrongPasswordText), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("Error: "), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_TRUE(filesIn(output).empty());
        if (!fs::exists(backup / "Manifest.db"))
            fs::copy_file(temp / "reference" / "Manifest.db", backup / "Manifest.db");
    }
}

TEST_F(DecryptProgram, TruncatedStoredFilesAndBadKeysAreSkippedWithAReason) {
    EncryptionSettings settings;
    settings.keyRecordHook = [](const std::string& domainPath, std::string& record) {
        if (domainPath == "HomeDomain-Library/one-byte") record.resize(record.size() - 8);
    };
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files, settings);
    const FixtureFile& jpeg = files[1];
    const FixtureFile& block = files[5];
    const fs::path jpegStored = backup / jpeg.fileId().substr(0, 2) / jpeg.fileId();
    const fs::path blockStored = backup / block.fileId().substr(0, 2) / block.fileId();
    fs::resize_file(jpegStored, fs::file_size(jpegStored) - 5);    // not whole cipher blocks
    fs::resize_file(blockStored, fs::file_size(blockStored) - 16); // whole blocks, but short of the size

    const RunResult run = runDecrypt(backup, output, "orvelle");
    ASSERT_EQ(run.exitCode, kDecryptExitOk) << run.output;
    EXPECT_NE(run.output.find("Skipped " + jpeg.fileId() + ": "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("truncated"), std::string::npos) << run.output;
    EXPECT_NE(
        run.output.find("Skipped " + files[3].fileId() + ": wrapped file key has 32 bytes, expected 40"),
        std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Skipped files: 2"), std::string::npos) << run.output;
    for (const FixtureFile* skipped : std::initializer_list<const FixtureFile*>{&jpeg, &files[3]})
        EXPECT_FALSE(fs::exists(output / skipped->fileId()));
    for (const FixtureFile* kept : std::initializer_list<const FixtureFile*>{&files[0], &files[2], &files[4]})
        EXPECT_EQ(readFile(output / kept->fileId()), kept->content);
    // A file short of whole blocks keeps what could be decrypted, and the
    // recorded size it falls short of is reported.
    EXPECT_EQ(readFile(output / block.fileId()), block.content.substr(0, 16));
    EXPECT_NE(run.output.find("Warning: " + block.fileId() + ": the manifest records 17 bytes, the decrypted file "
                              "has 16 (no valid padding)"),
              std::string::npos)
        << run.output;
}

// A stored file that is a FIFO, or a link to a file outside the backup, is
// never read: each is skipped with its reason and the run goes on (a FIFO
// once held it for good; a link's target was decrypted as if it were stored).
TEST_F(DecryptProgram, StoredFilesThatAreNoRegularFilesAreSkipped) {
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs and symbolic links need POSIX file systems here";
#else
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files);
    const fs::path outside = temp / "outside";
    fs::copy_file(backup / files[2].fileId().substr(0, 2) / files[2].fileId(), outside);
    const fs::path fifo = backup / files[1].fileId().substr(0, 2) / files[1].fileId();
    const fs::path link = backup / files[4].fileId().substr(0, 2) / files[4].fileId();
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::remove(link);
    fs::create_symlink(outside, link);

    platform::ChildProcess child;
    std::error_code ec;
    ASSERT_TRUE(child.start(kProgram, {backup.string(), output.string()}, ec)) << ec.message();
    child.writeInput("orvelle\n");
    child.closeInput();
    RunResult run;
    int released = -1;
    for (int waited = 0;
         child.readOutput(run.output, 4096, 1000) != platform::ChildProcess::ReadStatus::EndOfOutput;) {
        if (++waited == 10 && released < 0) {
            // A run that waits on the FIFO fails here instead of hanging:
            // a writer end lets its open through.
            ADD_FAILURE() << "the run blocked on the FIFO";
            released = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        }
    }
    run.exitCode = child.wait();
    if (released >= 0) ::close(released);
    ASSERT_EQ(run.exitCode, kDecryptExitOk) << run.output;
    for (const FixtureFile* skipped : std::initializer_list<const FixtureFile*>{&files[1], &files[4]}) {
        EXPECT_NE(run.output.find("Skipped " + skipped->fileId() + ": not a regular file: skipped"),
                  std::string::npos)
            << run.output;
        EXPECT_FALSE(fs::exists(output / skipped->fileId()));
    }
    EXPECT_EQ(readFile(output / files[2].fileId()), files[2].content);
#endif
}

// Manifests record sizes that went stale when a database grew or shrank after
// it was listed. The padding decides the decrypted length; the recorded size
// only earns a warning on standard error.
TEST_F(DecryptProgram, StaleRecordedSizesNeitherCutNorSkipAFile) {
    struct Change {
        const char* domainPath;
        std::int64_t delta;
    };
    const std::vector<Change> changes = {
        {"CameraRollDomain-Media/DCIM/100APPLE/IMG_0002.MOV", -57344}, // recorded smaller than the data
        {"CameraRollDomain-Media/DCIM/100APPLE/IMG_0001.JPG", +4096},  // recorded larger
        {"HomeDomain-Library/one-block", -1},                           // smaller inside the padding block
        {"HomeDomain-Library/Preferences/empty.plist", +16},            // an empty file recorded as one block
    };
    EncryptionSettings settings;
    settings.recordedSizeHook = [&](const std::string& domainPath, std::uint64_t& size) {
        for (const Change& change : changes)
            if (domainPath == change.domainPath) size = std::uint64_t(std::int64_t(size) + change.delta);
    };
    for (const ManifestKind kind : {ManifestKind::Db, ManifestKind::Mbdb}) {
        SCOPED_TRACE(kind == ManifestKind::Db ? "Manifest.db" : "Manifest.mbdb");
        fs::remove_all(plain);
        fs::remove_all(backup);
        fs::remove_all(output);
        writeEncryptedBackup(plain, backup, kind, files, settings);

        platform::ChildProcess child;
        child.setErrorFile(temp / "stderr.txt");
        std::error_code ec;
        ASSERT_TRUE(child.start(kProgram, {backup.string(), output.string()}, ec)) << ec.message();
        child.writeInput("orvelle\n");
        child.closeInput();
        std::string standardOutput;
        while (child.readOutput(standardOutput, 4096, 1000) != platform::ChildProcess::ReadStatus::EndOfOutput) {
        }
        ASSERT_EQ(child.wait(), kDecryptExitOk) << standardOutput;
        const std::string standardError = readFile(temp / "stderr.txt");

        EXPECT_EQ(standardOutput.find("Skipped"), std::string::npos) << standardOutput;
        for (const FixtureFile& f : files)
            EXPECT_EQ(readFile(output / f.fileId()), f.content) << f.relativePath;
        for (const Change& change : changes) {
            const auto file = std::find_if(files.begin(), files.end(), [&](const FixtureFile& f) {
                return f.domain + "-" + f.relativePath == change.domainPath;
            });
            ASSERT_NE(file, files.end());
            const std::uint64_t real = file->content.size();
            const std::string recorded = std::to_string(std::int64_t(real) + change.delta);
            EXPECT_NE(standardError.find("Warning: " + file->fileId() + ": the manifest records " + recorded +
                                         " bytes, the decrypted file has " + std::to_string(real) + "; all " +
                                         std::to_string(real) + " bytes are kept"),
                      std::string::npos)
                << standardError;
        }
        EXPECT_EQ(std::count(standardError.begin(), standardError.end(), '\n'), std::ptrdiff_t(changes.size()))
            << standardError;
    }
}

TEST_F(DecryptProgram, AFailurePartWayRemovesWhatItWrote) {
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files);
    // The manifest decrypts (its key is fine) but is no database: the run
    // fails after it wrote the decrypted manifest.
    writeFile(backup / "Manifest.db", std::string(4096, '\x5A'));
    fs::create_directories(output);
    writeFile(output / "unrelated.txt", "the user's own file");
    const RunResult run = runDecrypt(backup, output, "orvelle");
    EXPECT_EQ(run.exitCode, kDecryptExitDamaged) << run.output;
    EXPECT_NE(run.output.find("Error: "), std::string::npos);
    EXPECT_EQ(filesIn(output), std::vector<fs::path>{output / "unrelated.txt"});
}

TEST_F(DecryptProgram, AnInterruptedRunRemovesWhatItWrote) {
#ifdef _WIN32
    GTEST_SKIP() << "the run is held part-way by a FIFO in the output folder, and Windows has no FIFOs "
                    "in the file system";
#else
    writeEncryptedBackup(plain, backup, ManifestKind::Mbdb, files);
    // The last file's place in the output folder is a pipe: the program blocks
    // writing it until the test has asked it to end, so the request arrives
    // part-way, every time. (A pipe among the stored files would not hold it:
    // those are refused at once, never waited on.)
    fs::create_directories(output);
    const fs::path last = output / files.back().fileId();
    ASSERT_EQ(::mkfifo(last.c_str(), 0600), 0);

    platform::ChildProcess child;
    std::error_code ec;
    ASSERT_TRUE(child.start(kProgram, {backup.string(), output.string()}, ec)) << ec.message();
    child.writeInput("orvelle\n");
    child.closeInput();
    std::string seen;
    while (seen.find("Count: 0") == std::string::npos)
        ASSERT_NE(child.readOutput(seen, 4096, 5000), platform::ChildProcess::ReadStatus::EndOfOutput)
            << seen;
    child.terminate();
    // A reader end that never blocks lets the program's open of the pipe go
    // through; it writes into it, and then notices the request.
    const int writer = ::open(last.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    while (child.readOutput(seen, 4096, 5000) != platform::ChildProcess::ReadStatus::EndOfOutput) {
    }
    ::close(writer);
    EXPECT_EQ(child.wait(), kDecryptExitInterrupted) << seen;
    EXPECT_TRUE(filesIn(output).empty()) << seen;
#endif
}

// The password key of a real backup takes seconds to derive (ten million
// iterations); a keybag asking for the most this program accepts takes far
// longer. Ctrl+C (to the whole process group, as a terminal sends it) and a
// terminate request to the program alone both end it within about a second,
// with the interrupt's own exit code and message, not a wrong password.
TEST_F(DecryptProgram, AnInterruptDuringTheKeyDerivationEndsTheRunAtOnce) {
#ifdef _WIN32
    GTEST_SKIP() << "sends POSIX signals; on Windows the stop request is an event (see the process tests)";
#else
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files);
    plantKeyBagCount(backup, "DPIC", decrypt::kMaxIterations);
    struct Case {
        const char* name;
        int signal;
        SignalTarget target;
    };
    for (const Case& c : {Case{"Ctrl+C", SIGINT, SignalTarget::ProcessGroup},
                          Case{"terminate request", SIGTERM, SignalTarget::ProgramOnly}}) {
        SCOPED_TRACE(c.name);
        const SignalledRun run = runAndSignal(kProgram, {backup.string(), output.string()}, "orvelle", {},
                                              std::chrono::milliseconds(500), c.signal, c.target);
        EXPECT_EQ(run.endingSignal, 0) << "the program catches the signal";
        EXPECT_EQ(run.exitCode, kDecryptExitInterrupted) << run.output;
        EXPECT_LT(run.secondsToEnd, 1.5) << run.output;
        EXPECT_NE(run.output.find("Error: interrupted"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find(kWrongPasswordText), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists(output));
    }
#endif
}

TEST_F(DecryptProgram, ThePasswordIsNeverTakenFromTheCommandLine) {
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files);
    const RunResult run = runDecrypt({backup.string(), output.string(), "orvelle"}, "");
    EXPECT_EQ(run.exitCode, kDecryptExitUsage);
    EXPECT_NE(run.output.find("standard input"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(DecryptProgram, TheOutputFolderMayNotLieInsideTheBackup) {
    writeEncryptedBackup(plain, backup, ManifestKind::Db, files);
    const auto before = filesIn(backup);
    for (const fs::path& inside : {backup, backup / "copy", backup / ".." / backup.filename() / "x"}) {
        const RunResult run = runDecrypt(backup, inside, "orvelle");
        EXPECT_EQ(run.exitCode, kDecryptExitFailed) << inside;
        EXPECT_EQ(filesIn(backup), before);
    }
}

} // namespace
} // namespace orvelle::test
