// The store's side of a decryption: runs the real orvelle-decrypt.

#include "backup/encryption/BackupDecryption.h"

#include "backup/encryption/DecryptProtocol.h"
#include "backup/encryption/DecryptedCopies.h"
#include "backup/encryption/EncryptedBackupListing.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

class BackupDecryption : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeEncryptedBackup(temp / "plain", backup, test::ManifestKind::Db, files);
        std::vector<fs::path> listed;
        ASSERT_TRUE(listEncryptedBackupFiles(backup, listed));
        run.program = fs::path(ORVELLE_BIN_DIR) / kDecryptProgramName;
        run.backupFolder = backup;
        run.outputFolder = temp / "Quoril Temp" / "QuorilOrvelleBackupPath";
        run.backupFileCount = listed.size();
        run.step = 10;
    }

    /// Records the reports, leaving out the repeats made while the program
    /// is quiet (the last value again, or the starting 0 before any).
    ProgressReport recorder(std::int32_t answer = 0) {
        return [this, answer](std::int32_t v) {
            if (v != (reports.empty() ? 0 : reports.back())) reports.push_back(v);
            return answer;
        };
    }

    test::TempFolder temp{"orvelle-store-decrypt"};
    fs::path backup = temp / "backup with spaces";
    std::vector<test::FixtureFile> files = test::sampleFixtureFiles();
    DecryptRun run;
    std::vector<std::int32_t> reports;
};

TEST_F(BackupDecryption, DecryptsIntoTheOutputFolderWithRisingProgress) {
    std::int32_t progress = 0;
    ASSERT_EQ(decryptBackup(run, "orvelle", progress, recorder()), kStatusOk);
    for (const auto& f : files)
        EXPECT_EQ(test::readFile(run.outputFolder / f.fileId()), f.content);
    EXPECT_TRUE(fs::exists(run.outputFolder / kDecryptedManifestFile));
#ifndef _WIN32
    // The owner's data is for the owner alone, wherever the copy goes.
    for (const auto& entry : fs::directory_iterator(run.outputFolder))
        EXPECT_EQ(entry.status().permissions(), fs::perms::owner_read | fs::perms::owner_write) << entry.path();
#endif
    EXPECT_FALSE(fs::exists(backup / kDecryptedManifestFile)) << "the backup folder stays read-only";

    EXPECT_EQ(progress, 1);
    // Repeats are not recorded, so a run whose count lines all arrive in one
    // piece (1, then 1 again) shows only the first and the closing report.
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.front(), 1);
    EXPECT_EQ(reports.back(), 11) << "closing report: progress + step";
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end() - 1));
    EXPECT_LE(reports[reports.size() - 2], 11);

    std::vector<fs::path> decrypted;
    cleanUpDecryptedCopies(run.outputFolder, decrypted);
    EXPECT_TRUE(fs::is_empty(run.outputFolder));
}

TEST_F(BackupDecryption, WrongPasswordGivesMinus110AndLeavesNothing) {
    std::int32_t progress = 0;
    EXPECT_EQ(decryptBackup(run, "wrong", progress, recorder()), kStatusWrongPassword);
    EXPECT_EQ(reports, (std::vector<std::int32_t>{10})) << "only the closing report";
    EXPECT_FALSE(fs::exists(run.outputFolder) && !fs::is_empty(run.outputFolder));
}

TEST_F(BackupDecryption, AMissingProgramGives87) {
    run.program = temp / "no-such-program";
    std::int32_t progress = 0;
    std::vector<std::string> messages;
    run.messages = [&](std::string_view line) { messages.emplace_back(line); };
    EXPECT_EQ(decryptBackup(run, "orvelle", progress, recorder()), kStatusInvalid);
    EXPECT_EQ(reports, (std::vector<std::int32_t>{10}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("cannot start"), std::string::npos);
}

// Each way a run fails has its own status, and its reason arrives as the
// program's last "Error:" line: a damaged keybag is no wrong password.
TEST_F(BackupDecryption, EachKindOfFailureHasItsStatusAndReason) {
    struct Case {
        const char* name;
        std::function<void()> change;
        Status status;
        const char* reason; ///< in the last message
    };
    const std::string goodPlist = test::readFile(backup / "Manifest.plist");
    const Case cases[] = {
        {"no Manifest.plist", [&] { fs::remove(backup / "Manifest.plist"); }, kStatusEncryptionDamaged,
         "Error: cannot open"},
        {"iteration count out of range", [&] { test::plantKeyBagCount(backup, "ITER", 0xFFFFFFFF); },
         kStatusEncryptionDamaged,
         "Error: the backup's keybag is damaged: its iteration count ITER is 4294967295"},
        {"no manifest", [&] { fs::rename(backup / "Manifest.db", temp / "Manifest.db"); },
         kStatusEncryptionDamaged, "neither Manifest.db nor Manifest.mbdb"},
        {"output folder is a file",
         [&] {
             fs::create_directories(run.outputFolder.parent_path());
             test::writeFile(run.outputFolder, "a file");
         },
         kStatusInvalid, "Error: cannot create the output folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(backup / "Manifest.plist", goodPlist);
        c.change();
        std::int32_t progress = 0;
        std::vector<std::string> messages;
        run.messages = [&](std::string_view line) { messages.emplace_back(line); };
        EXPECT_EQ(decryptBackup(run, "orvelle", progress, recorder()), c.status);
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages.back().find(c.reason), std::string::npos) << messages.back();
        if (fs::exists(temp / "Manifest.db")) fs::rename(temp / "Manifest.db", backup / "Manifest.db");
        if (fs::is_regular_file(run.outputFolder)) fs::remove(run.outputFolder);
    }
}

// A real keybag's password key takes seconds to derive, this one's minutes:
// the program prints nothing meanwhile, and a stop answer must still end
// the run at once.
TEST_F(BackupDecryption, AStopAnswerIsHeardWhileThePasswordKeyIsDerived) {
    test::plantKeyBagCount(backup, "DPIC", 50'000'000);
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
    std::int32_t progress = 0;
    const Status status = decryptBackup(run, "orvelle", progress, [&](std::int32_t) -> std::int32_t {
        return elapsed() > std::chrono::milliseconds(300) ? kStatusStopped : kStatusOk;
    });
    EXPECT_EQ(status, kStatusStopped);
    EXPECT_LT(elapsed(), std::chrono::milliseconds(1500));
    EXPECT_TRUE(!fs::exists(run.outputFolder) || fs::is_empty(run.outputFolder));
}

TEST_F(BackupDecryption, AStopAnswerEndsTheRunWithThatAnswer) {
    std::int32_t progress = 0;
    EXPECT_EQ(decryptBackup(run, "orvelle", progress, recorder(kStatusStopped)), kStatusStopped);
    // Stopped at the first count, or before it while the program was quiet.
    EXPECT_TRUE(reports == (std::vector<std::int32_t>{1, 11}) || reports == (std::vector<std::int32_t>{10}))
        << ::testing::PrintToString(reports);
    // Whatever the program managed before it was told to end is removed by the
    // clean-up (it removes its own files when the request arrives in time).
    std::vector<fs::path> decrypted;
    cleanUpDecryptedCopies(run.outputFolder, decrypted);
    EXPECT_TRUE(!fs::exists(run.outputFolder) || fs::is_empty(run.outputFolder));
}

} // namespace
} // namespace orvelle
