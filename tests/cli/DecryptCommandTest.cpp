// End to end: orvelle decrypt, and the commands that open a backup given an
// encrypted one with --password-stdin.

#include "backup/encryption/RunFolder.h"
#include "backup/encryption/ScratchFolder.h"
#include "platform/PrivateFolder.h"
#include "platform/Storage.h"
#include "support/BackupEncrypter.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <regex>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

class EncryptedCommands : public ::testing::Test {
protected:
    /// `orvelle COMMAND` with the data folder inside the temp folder and
    /// `inputLine` on standard input; its standard output and error together.
    test::CliRun joined(const std::vector<std::string>& command, const std::string& inputLine) {
        test::CliRun run = test::orvelle(temp, command, {}, inputLine);
        run.out += run.err;
        return run;
    }
    /// Where the program makes its run folders: below the data folder, or,
    /// when its drive is short of space, in the (test program's own)
    /// temporary folder; the same choice the program makes.
    fs::path scratchParent() const {
        const fs::path data = test::dataHome(temp) / "QuorilOrvelle";
        fs::create_directories(data); // as the program makes it before it asks
        std::vector<DriveSpace> drives;
        for (const fs::path& root : platform::scratchDriveRoots())
            drives.push_back({root, platform::freeBytes(root)});
        return chooseScratchFolder(data, platform::freeBytes(data), drives);
    }
    /// The run folders in the scratch parent.
    std::vector<fs::path> runFolders() const {
        std::vector<fs::path> found;
        std::error_code ec;
        for (auto it = fs::directory_iterator(scratchParent(), ec); !ec && it != fs::directory_iterator();
             it.increment(ec))
            if (it->path().filename().string().rfind(kRunFolderPrefix, 0) == 0) found.push_back(it->path());
        return found;
    }

    test::TempFolder temp{"orvelle-cli-decrypt"};
};

std::vector<std::string> namesAndSizes(const std::string& json) {
    std::vector<std::string> out;
    const std::regex entry(
        R"re("name":\s*"((?:[^"\\]|\\.)*)",\s*"size":\s*(\d+)(,\s*"appName":\s*"((?:[^"\\]|\\.)*)")?)re");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), entry); it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1].str() + "|" + (*it)[2].str() + "|" + (*it)[4].str());
    return out;
}

TEST_F(EncryptedCommands, DecryptWritesTheCopyAndRefusesAWrongPassword) {
    const auto files = test::sampleFixtureFiles();
    test::writeEncryptedBackup(temp / "plain", temp / "enc backup", test::ManifestKind::Db, files);
    const fs::path out = temp / "my copy";

    const test::CliRun wrong =
        joined({"decrypt", "--password-stdin", test::arg(temp / "enc backup"), test::arg(out)}, "nope");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.out.find("wrong password"), std::string::npos) << wrong.out;
    EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out));

    const test::CliRun noFlag =
        joined({"decrypt", test::arg(temp / "enc backup"), test::arg(out)}, "orvelle");
    EXPECT_EQ(noFlag.exitCode, 1);
    EXPECT_NE(noFlag.out.find("--password-stdin"), std::string::npos) << noFlag.out;

    const test::CliRun ok =
        joined({"decrypt", "--password-stdin", test::arg(temp / "enc backup"), test::arg(out)}, "orvelle");
    ASSERT_EQ(ok.exitCode, 0) << ok.out;
    for (const auto& f : files)
        EXPECT_EQ(test::readFile(out / f.fileId()), f.content);
    EXPECT_TRUE(fs::exists(out / "Manifest.db-decypted"));
}

TEST_F(EncryptedCommands, FilesOnAnEncryptedBackupListsWhatThePlainOneHolds) {
    const fs::path plain = temp / "plain";
    const fs::path encrypted = temp / "encrypted-root" / "encrypted";
    test::writeEncryptedBackup(plain, encrypted, test::ManifestKind::Db, test::sampleFixtureFiles());

    const test::CliRun list =
        joined({"list", "--json", "--backup-root", test::arg(temp / "encrypted-root")}, "");
    ASSERT_EQ(list.exitCode, 0) << list.out;
    EXPECT_NE(list.out.find("\"encrypted\": true"), std::string::npos) << list.out;

    const test::CliRun plainFiles = joined({"files", "--json", test::arg(plain)}, "");
    ASSERT_EQ(plainFiles.exitCode, 0) << plainFiles.out;
    const test::CliRun encryptedFiles =
        joined({"files", "--json", "--password-stdin", test::arg(encrypted)}, "orvelle");
    ASSERT_EQ(encryptedFiles.exitCode, 0) << encryptedFiles.out;
    const auto expected = namesAndSizes(plainFiles.out);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(namesAndSizes(encryptedFiles.out), expected);
    const std::string runFolderText = test::jsonText(test::arg(scratchParent() / kRunFolderPrefix));
    const std::size_t copyAt = encryptedFiles.out.find(runFolderText);
    ASSERT_NE(copyAt, std::string::npos) << "stored paths point into the run's decrypted copy";
    EXPECT_NE(encryptedFiles.out.find(kDecryptOutputFolderName, copyAt), std::string::npos);
    EXPECT_TRUE(runFolders().empty()) << "the copy does not outlive the command";

    const test::CliRun wrong = joined({"files", "--password-stdin", test::arg(encrypted)}, "wrong");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.out.find("wrong password"), std::string::npos) << wrong.out;
}

TEST_F(EncryptedCommands, ACopyLeftByAnInterruptedRunIsRemovedAtTheNextStart) {
    // The folder of a run that died: its marker is there, nobody holds the lock.
    ASSERT_EQ(platform::makeTrustedFolder(scratchParent()), platform::FolderTrust::Trusted);
    std::error_code ec;
    const fs::path dead = platform::makePrivateFolder(scratchParent(), kRunFolderPrefix, ec);
    ASSERT_FALSE(dead.empty()) << ec.message();
    {
        platform::RunLock lock;
        ASSERT_TRUE(lock.create(dead, kRunMarkerName, ec)) << ec.message();
    }
    test::writeFile(dead / kDecryptOutputFolderName / "3d0d7e5fb2ce288813306e4d4636395e047a3d28", "left behind");
    const fs::path lookAlike = scratchParent() / (std::string(kRunFolderPrefix) + "no-marker");
    test::writeFile(lookAlike / "file", "not provably the program's");

    test::makeDemoBackups(temp / "root");
    const test::CliRun files =
        joined({"files", test::arg(temp / "root" / std::string(test::kDemoRecentFolder))}, "");
    EXPECT_EQ(files.exitCode, 0) << files.out;
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_EQ(test::readFile(lookAlike / "file"), "not provably the program's");
}

} // namespace
} // namespace orvelle
