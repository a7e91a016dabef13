#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "backup/LocalBackupSource.h"
#include "backup/encryption/DecryptProtocol.h"
#include "support/BackupBuilder.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"
#include "support/WriteAheadLogFixture.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using Texts = std::vector<std::string>;

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Texts sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

// A backup whose sms.db has its log beside it in the manifest: the scan
// applies the log (plain or decrypted like any other file) and carves its
// other page versions; a log the manifest lists elsewhere is not the
// database's.
TEST(DatabaseLogs, TheScanAppliesTheLogTheManifestListsBesideADatabase) {
    struct Case {
        const char* name;
        test::ManifestKind manifest;
        bool encrypted;
        const char* logDomain;
    };
    const Case cases[] = {
        {"Manifest.db", test::ManifestKind::Db, false, "HomeDomain"},
        {"Manifest.mbdb", test::ManifestKind::Mbdb, false, "HomeDomain"},
        {"encrypted", test::ManifestKind::Db, true, "HomeDomain"},
        {"log of another domain", test::ManifestKind::Db, false, "MediaDomain"},
    };
    test::TempFolder temp;
    const test::SmsWithLog sms = test::buildSmsWithLog(temp / "sms.db");
    std::filesystem::path log = sms.database;
    log += "-wal";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool applies = std::string_view(c.logDomain) == "HomeDomain";
        std::vector<test::FixtureFile> files(2);
        files[0].domain = "HomeDomain";
        files[0].relativePath = "Library/SMS/sms.db";
        files[0].content = fileBytes(sms.database);
        files[1].domain = c.logDomain;
        files[1].relativePath = "Library/SMS/sms.db-wal";
        files[1].content = fileBytes(log);
        const std::filesystem::path plain = temp / (std::string(c.name) + " plain");
        const std::filesystem::path encrypted = temp / (std::string(c.name) + " encrypted");
        std::string password;
        if (c.encrypted) {
            test::writeEncryptedBackup(plain, encrypted, c.manifest, files);
            password = test::EncryptionSettings{}.password;
        } else {
            test::BackupBuilder builder;
            builder.setManifest(c.manifest);
            for (const auto& file : files)
                builder.add(file);
            builder.build(plain);
        }
        BackupStore store({{}, temp / (std::string(c.name) + " data")});
        BackupInfo info;
        ASSERT_EQ(readBackupFolder(c.encrypted ? encrypted : plain, info), kStatusOk);
        store.selectBackup(info);
        LocalBackupSource source;
        source.setDecryptProgram(std::filesystem::path(ORVELLE_BIN_DIR) / kDecryptProgramName);
        source.attach(&store);
        ASSERT_EQ(source.open(password), kStatusOk);
        ConversationMap chats;
        ASSERT_EQ(source.scanMessages(chats), kStatusOk);
        Texts live;
        Texts deleted;
        for (const auto& [handle, messages] : chats)
            for (const MessageRecord& message : messages)
                (message.deleted ? deleted : live).push_back(message.text);
        Texts expectedLive = sms.inFile;
        if (applies) expectedLive.insert(expectedLive.end(), sms.inLog.begin(), sms.inLog.end());
        EXPECT_EQ(sorted(live), sorted(expectedLive));
        EXPECT_EQ(sorted(deleted), applies ? sorted({sms.deletedInLog, sms.uncommitted}) : Texts{});
    }
}

} // namespace
} // namespace orvelle
