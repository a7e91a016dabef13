// End to end: orvelle list, info and files on the demo backups and on broken ones.

#include "backup/KnownFileIds.h"
#include "support/BackupBuilder.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::CliRun;
using test::orvelle;

using test::TempFolder;

class BackupCommands : public ::testing::Test {
protected:
    void SetUp() override { test::makeDemoBackups(temp / "root"); }
    std::filesystem::path recent() const { return temp / "root" / std::string(test::kDemoRecentFolder); }
    std::filesystem::path older() const { return temp / "root" / std::string(test::kDemoOlderFolder); }
    TempFolder temp;
};

TEST_F(BackupCommands, ListPrintsBackupsNewestFirst) {
    const CliRun json = orvelle(temp, {"list", "--json", "--backup-root", test::arg(temp / "root")});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(test::occurrences(json.out, "\"displayName\""), 2u);
    EXPECT_LT(json.out.find("Anna's iPhone"), json.out.find("Ben's iPad"));
    for (const char* field : {"\"encrypted\": false", "\"majorVersionAbove11\": true",
                              "\"majorVersionAbove11\": false", "\"lastBackupDate\": \"2024-05-17 09:41:00\"",
                              "\"phoneNumber\": \"\"", "\"serialNumber\": \"DMPJ8XYZF182\""})
        EXPECT_NE(json.out.find(field), std::string::npos) << field;
    EXPECT_NE(json.out.find("\"folder\": \"" + test::jsonText(test::arg(recent())) + "\""), std::string::npos)
        << json.out;

#ifdef _WIN32
    // Windows names the roots itself: the demo backups, copied below %APPDATA%, are found there.
    const auto appDataRoot = test::dataHome(temp) / "Apple Computer" / "MobileSync" / "Backup";
    std::filesystem::create_directories(appDataRoot.parent_path());
    std::filesystem::copy(temp / "root", appDataRoot, std::filesystem::copy_options::recursive);
    const CliRun table = orvelle(temp, {"list"}, {{"USERPROFILE", test::arg(temp / "profile")}});
#else
    const CliRun table = orvelle(temp, {"list"}, {{"ORVELLE_BACKUP_ROOT", test::arg(temp / "root")}});
#endif
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("2013-11-02 18:05:12  Ben's iPad"), std::string::npos) << table.out;

    const CliRun empty = orvelle(temp, {"list", "--json", "--backup-root", test::arg(temp / "nothing-here")});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "[]\n");
}

TEST_F(BackupCommands, InfoReadsOneFolder) {
    const CliRun run = orvelle(temp, {"info", "--json", test::arg(older())});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\"displayName\": \"Ben's iPad\""), std::string::npos) << run.out;
    const CliRun missing = orvelle(temp, {"info", test::arg(temp / "root")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.err.find("Info.plist"), std::string::npos) << missing.err;
}

TEST_F(BackupCommands, FilesListsEveryCategoryOfBothLayouts) {
    const struct {
        std::filesystem::path folder;
        const char* counts[5];
    } cases[] = {
        {recent(),
         {"\"camera-roll\": {\n      \"count\": 5", "\"photo-stream\": {\n      \"count\": 2",
          "\"message-attachments\": {\n      \"count\": 4", "\"app-files\": {\n      \"count\": 4",
          "\"whatsapp-attachments\": {\n      \"count\": 4"}},
        {older(),
         {"\"camera-roll\": {\n      \"count\": 3", "\"photo-stream\": {\n      \"count\": 1",
          "\"message-attachments\": {\n      \"count\": 2", "\"app-files\": {\n      \"count\": 2",
          "\"whatsapp-attachments\": {\n      \"count\": 2"}},
    };
    for (const auto& c : cases) {
        const CliRun run = orvelle(temp, {"files", "--json", test::arg(c.folder)});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (const char* part : c.counts)
            EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out;
    }
    const CliRun heic = orvelle(temp, {"files", "--category", "camera-roll", test::arg(recent())});
    EXPECT_NE(heic.out.find("IMG_0001.HEIC"), std::string::npos) << heic.out;
    EXPECT_EQ(heic.out.find("Photo Stream"), std::string::npos);
    const CliRun attachment =
        orvelle(temp, {"files", "--json", "--category", "message-attachments", test::arg(recent())});
    EXPECT_NE(attachment.out.find("\"name\": \"IMG_1.JPG\""), std::string::npos) << attachment.out;
    EXPECT_NE(orvelle(temp, {"files", "--category", "calendar", test::arg(recent())}).exitCode, 0);
}

TEST_F(BackupCommands, FilesRefusesWhatItCannotRead) {
    // An encrypted backup: its address book is not a SQLite file.
    test::BackupBuilder encrypted;
    encrypted.addFile("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb", std::string(600, '\x8e'));
    encrypted.build(temp / "encrypted");
    const CliRun enc = orvelle(temp, {"files", test::arg(temp / "encrypted")});
    EXPECT_EQ(enc.exitCode, 1);
    EXPECT_NE(enc.err.find("encrypted"), std::string::npos) << enc.err;
    const CliRun list = orvelle(temp, {"list", "--json", "--backup-root", test::arg(temp.path())});
    EXPECT_NE(list.out.find("\"encrypted\": true"), std::string::npos) << list.out;

    test::BackupBuilder noManifest;
    noManifest.setManifest(test::ManifestKind::None);
    noManifest.build(temp / "no-manifest");
    const CliRun none = orvelle(temp, {"files", test::arg(temp / "no-manifest")});
    EXPECT_EQ(none.exitCode, 4);
    EXPECT_NE(none.err.find("no manifest"), std::string::npos) << none.err;

    // A truncated Manifest.mbdb: the files before the damage are listed, with a warning and the exit
    // code of a category that could not be read.
    test::BackupBuilder older = test::demoOlderBackup();
    older.build(temp / "truncated");
    const std::string mbdb = test::readFile(temp / "truncated" / "Manifest.mbdb");
    test::writeFile(temp / "truncated" / "Manifest.mbdb", mbdb.substr(0, mbdb.size() - 10));
    const CliRun truncated =
        orvelle(temp, {"files", "--category", "camera-roll", test::arg(temp / "truncated")});
    EXPECT_EQ(truncated.exitCode, 4);
    EXPECT_NE(truncated.err.find("truncated"), std::string::npos) << truncated.err;
    EXPECT_NE(truncated.out.find("Camera Roll (3)"), std::string::npos) << truncated.out;
}

} // namespace
} // namespace orvelle
