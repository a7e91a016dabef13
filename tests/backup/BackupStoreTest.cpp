#include "backup/BackupStore.h"

#include "backup/FileSignature.h"
#include "backup/ManifestMbdb.h"
#include "backup/encryption/RunFolder.h"
#include "backup/encryption/ScratchFolder.h"
#include "support/BackupBuilder.h"
#include "support/DemoBackup.h"
#include "support/MbdbWriter.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace orvelle {
namespace {

using test::TempFolder;

TEST(BackupStore, ConstructionListsTheRootsAndSetsTheInitialState) {
    TempFolder temp;
    test::makeDemoBackups(temp / "root");
    test::BackupBuilder().build(temp / "second-root" / "third");
    BackupStore store({{temp / "root", temp / "second-root", temp / "missing"}, temp / "data" / "nested"});
    EXPECT_TRUE(std::filesystem::is_directory(temp / "data" / "nested"));
    EXPECT_EQ(store.candidates().size(), 3u);
    const auto backups = store.listBackups();
    ASSERT_EQ(backups.size(), 3u);
    EXPECT_EQ(backups[0].displayName, "Anna's iPhone"); // 2024-05-17, same as the default of the third
    EXPECT_EQ(backups[2].displayName, "Ben's iPad");
    EXPECT_EQ(store.largestMessageRowId(), 20000);
    EXPECT_EQ(store.largestAddressBookRowId(), 20000);
    EXPECT_EQ(store.progress().progress(), 0);
    EXPECT_FALSE(store.progress().hasCallback());
}

TEST(BackupStore, SelectingABackupPointsTheStoredFileRuleAtIt) {
    TempFolder temp;
    test::makeDemoBackups(temp / "root");
    BackupStore store({{temp / "root"}, temp / "data"});
    for (const auto& info : store.listBackups()) {
        ASSERT_EQ(store.selectBackup(info), kStatusOk);
        EXPECT_EQ(store.backupRoot(), std::filesystem::path(info.folder));
        ASSERT_EQ(store.loadManifest(store.backupRoot()), kStatusOk);
        ASSERT_FALSE(store.manifest().empty());
        std::size_t present = 0;
        for (const auto& entry : store.manifest())
            if (std::filesystem::is_regular_file(store.storedFilePath(entry.fileId))) ++present;
        EXPECT_GE(present, 10u) << info.folder;
        EXPECT_EQ(store.twoLevelLayout(), info.displayName == "Anna's iPhone");
    }
    // A reload empties the list first.
    const std::size_t size = store.manifest().size();
    store.loadManifest(store.backupRoot());
    EXPECT_EQ(store.manifest().size(), size);
}

// A decrypted copy as the decryption program leaves it in the store's folder.
void writeDecryptedCopy(const BackupStore& store) {
    test::writeFile(store.decryptedCopyFolder() / "Manifest.db-decypted", "the owner's manifest");
    test::writeFile(store.decryptedCopyFolder() / "3d0d7e5fb2ce288813306e4d4636395e047a3d28", "the owner's messages");
}

TEST(BackupStore, EachStoreHasItsOwnCopyThatOnlyItRemoves) {
    namespace fs = std::filesystem;
    TempFolder temp;
    const BackupStoreOptions options{{}, temp / "data", temp / "data" / kScratchFolderName};
    fs::path firstCopy;
    {
        BackupStore first(options);
        firstCopy = first.decryptedCopyFolder();
        ASSERT_FALSE(firstCopy.empty());
        writeDecryptedCopy(first);
        // A second run (a command while the desktop program has the backup open).
        {
            BackupStore second(options);
            EXPECT_NE(second.decryptedCopyFolder(), firstCopy);
            writeDecryptedCopy(second);
        }
        EXPECT_EQ(test::readFile(firstCopy / "3d0d7e5fb2ce288813306e4d4636395e047a3d28"), "the owner's messages")
            << "the second store's start and end leave the first's copy";
        EXPECT_EQ(std::distance(fs::directory_iterator(options.scratchParent), fs::directory_iterator()), 1)
            << "the second store's folder is gone";
    }
    EXPECT_FALSE(fs::exists(firstCopy.parent_path()));
    EXPECT_TRUE(fs::is_empty(options.scratchParent));
}

TEST(BackupStore, APlantedLinkNeverLeadsTheStoreToOtherFiles) {
    namespace fs = std::filesystem;
    TempFolder temp;
    struct Case {
        const char* name;
        fs::path planted; // relative to the case's data folder; a link to the victim
    };
    const Case cases[] = {
        {"the scratch parent", kScratchFolderName},
        {"the old fixed copy folder", fs::path(kScratchFolderName) / kDecryptOutputFolderName},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path base = temp / ("case" + std::to_string(index++));
        const fs::path victim = base / "victim";
        test::writeFile(victim / "letter.txt", "the owner's letter");
        test::writeFile(victim / "photos" / "IMG_0001.JPG", "a photo");
        const fs::path data = base / "data";
        fs::create_directories((data / c.planted).parent_path());
        std::error_code ec;
        fs::create_directory_symlink(victim, data / c.planted, ec);
        if (ec) GTEST_SKIP() << "links cannot be made here";
        fs::path copy;
        {
            BackupStore store({{}, data, data / kScratchFolderName});
            copy = store.decryptedCopyFolder();
            ASSERT_FALSE(copy.empty());
            EXPECT_NE(fs::weakly_canonical(copy).string().rfind(fs::weakly_canonical(victim).string(), 0), 0u)
                << "the copy is not made inside the victim: " << copy;
            writeDecryptedCopy(store);
        }
        EXPECT_FALSE(fs::exists(copy));
        EXPECT_TRUE(fs::is_symlink(data / c.planted)) << "the link itself is left alone";
        EXPECT_EQ(test::readFile(victim / "letter.txt"), "the owner's letter");
        EXPECT_EQ(test::readFile(victim / "photos" / "IMG_0001.JPG"), "a photo");
        EXPECT_EQ(std::distance(fs::directory_iterator(victim), fs::directory_iterator()), 2);
    }
}

TEST(BackupStore, AStartRemovesWhatADeadRunLeftAndNothingElse) {
    namespace fs = std::filesystem;
    TempFolder temp;
    const fs::path parent = temp / "data" / kScratchFolderName;
    fs::path deadCopy;
    {
        // A run that dies keeps its folder but loses its lock.
        BackupStore dying({{}, temp / "data", parent});
        deadCopy = dying.decryptedCopyFolder();
        writeDecryptedCopy(dying);
        platform::RunLock probe;
        EXPECT_FALSE(probe.takeOver(deadCopy.parent_path() / kRunMarkerName));
        fs::copy(deadCopy.parent_path(), temp / "left-behind", fs::copy_options::recursive);
    }
    fs::rename(temp / "left-behind", deadCopy.parent_path());
    test::writeFile(parent / "orvelle-run-lookalike" / "file", "no marker: not provably ours");
    BackupStore next({{}, temp / "data", parent});
    EXPECT_FALSE(fs::exists(deadCopy.parent_path()));
    EXPECT_TRUE(fs::exists(parent / "orvelle-run-lookalike" / "file"));
}

TEST(Robustness, RandomBytesNeverCrashTheReaders) {
    std::mt19937 random(20240517);
    const std::string valid = test::buildMbdb({});
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 600, '\0');
        for (auto& c : bytes)
            c = static_cast<char>(random());
        // Half the inputs start like a real manifest, so the record reader gets exercised.
        if (round % 2 == 0)
            bytes.replace(0, std::min(bytes.size(), valid.size()), valid.substr(0, bytes.size()));
        ManifestList out;
        const Status status = parseManifestMbdbBytes(bytes, out);
        EXPECT_TRUE(status == kStatusOk || status == kStatusInvalid || status == kStatusShortRead);
        for (const auto& e : out)
            EXPECT_EQ(e.fileId.size(), 40u);
        detectSignature({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
    }
}

} // namespace
} // namespace orvelle
