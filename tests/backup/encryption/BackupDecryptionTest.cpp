// The store's side of a decryption: runs the real orvelle-decrypt.

#include "backup/encryption/BackupDecryption.h"

#include "backup/encryption/DecryptProtocol.h"
#include "backup/encryption/DecryptedCopies.h"
#include "backup/encryption/EncryptedBackupListing.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"

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

    ProgressReport recorder(std::int32_t answer = 0) {
        return [this, answer](std::int32_t v) {
            reports.push_back(v);
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
    ASSERT_GE(reports.size(), 3u);
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

TEST_F(BackupDecryption, AFailedRunIsAFailureNotASuccess) {
    fs::remove(backup / "Manifest.plist");
    std::int32_t progress = 0;
    std::vector<std::string> messages;
    run.messages = [&](std::string_view line) { messages.emplace_back(line); };
    EXPECT_EQ(decryptBackup(run, "orvelle", progress, recorder()), kStatusInvalid);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("Manifest.plist"), std::string::npos);
}

TEST_F(BackupDecryption, AStopAnswerEndsTheRunWithThatAnswer) {
    std::int32_t progress = 0;
    EXPECT_EQ(decryptBackup(run, "orvelle", progress, recorder(kStatusStopped)), kStatusStopped);
    EXPECT_EQ(reports, (std::vector<std::int32_t>{1, 11}));
    // Whatever the program managed before it was told to end is removed by the
    // clean-up (it removes its own files when the request arrives in time).
    std::vector<fs::path> decrypted;
    cleanUpDecryptedCopies(run.outputFolder, decrypted);
    EXPECT_TRUE(!fs::exists(run.outputFolder) || fs::is_empty(run.outputFolder));
}

} // namespace
} // namespace orvelle
