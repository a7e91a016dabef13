#include "backup/BackupStore.h"

#include "backup/FileSignature.h"
#include "backup/ManifestMbdb.h"
#include "support/BackupBuilder.h"
#include "support/DemoBackup.h"
#include "support/MbdbWriter.h"
#include "support/TempFolder.h"

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
