#include "backup/BackupCatalogue.h"

#include "backup/BackupDate.h"
#include "backup/InfoPlistReader.h"
#include "backup/KnownFileIds.h"
#include "core/Status.h"
#include "support/BackupBuilder.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::BackupBuilder;
using test::PlistFormat;
using test::TempFolder;

/// Pins the time zone for one test and restores UTC afterwards.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) { set(zone); }
    ~ZoneGuard() { set("UTC"); }

private:
    static void set(const char* zone) { test::setTimeZone(zone); }
};

BackupInfo readBuilt(const BackupBuilder& builder, const TempFolder& temp, const std::string& name = "b") {
    const auto folder = builder.build(temp / name);
    BackupInfo info;
    EXPECT_EQ(readBackupFolder(folder, info), kStatusOk);
    return info;
}

TEST(InfoPlist, ReadsTheFiveKeysFromXmlAndBinary) {
    for (const PlistFormat format : {PlistFormat::Xml, PlistFormat::Binary}) {
        TempFolder temp;
        BackupBuilder b;
        b.setPlistFormat(format);
        b.infoPlist()
            .set("Display Name", "Zoë & Jo's <iPhone>")
            .setDate("Last Backup Date", "2015-03-12T10:20:30Z")
            .set("Phone Number", "+44 7700 900123")
            .set("Product Version", "12.1")
            .set("Serial Number", "C39XK1ABHG7F");
        const BackupInfo info = readBuilt(b, temp);
        SCOPED_TRACE(format == PlistFormat::Xml ? "xml" : "binary");
        EXPECT_EQ(info.displayName, "Zoë & Jo's <iPhone>");
        EXPECT_EQ(info.lastBackupDate, "2015-03-12 10:20:30");
        EXPECT_EQ(info.phoneNumber, "+44 7700 900123");
        EXPECT_TRUE(info.majorVersionAbove11);
        EXPECT_EQ(info.serialNumber, "C39XK1ABHG7F");
        EXPECT_EQ(info.folder, (temp / "b").string());
        EXPECT_FALSE(info.encrypted);
    }
}

TEST(InfoPlist, ReadingStopsAtTheSerialNumber) {
    TempFolder temp;
    BackupBuilder b;
    b.infoPlist().moveBefore("Serial Number", "Phone Number").moveBefore("Product Version", "Serial Number");
    const BackupInfo info = readBuilt(b, temp);
    EXPECT_EQ(info.serialNumber, "F2LXK0QJN72J");
    EXPECT_EQ(info.phoneNumber, "");
    EXPECT_TRUE(info.majorVersionAbove11);
}

TEST(InfoPlist, MissingKeysLeaveFieldsEmpty) {
    TempFolder temp;
    BackupBuilder b;
    b.infoPlist()
        .remove("Phone Number")
        .remove("Product Version")
        .remove("Display Name")
        .remove("Last Backup Date");
    const BackupInfo info = readBuilt(b, temp);
    EXPECT_EQ(info.phoneNumber, "");
    EXPECT_EQ(info.displayName, "");
    EXPECT_EQ(info.lastBackupDate, "");
    EXPECT_FALSE(info.majorVersionAbove11);
    EXPECT_EQ(info.serialNumber, "F2LXK0QJN72J");
}

TEST(InfoPlist, ValueLineWithoutOpeningTagGivesEmptyValue) {
    TempFolder temp;
    test::writeFile(temp / "b" / "Info.plist", "<dict>\n<key>Display Name</key>\nno tags here\n"
                                               "<key>Serial Number</key>\n<string>S1</string>\n</dict>\n");
    BackupInfo info;
    ASSERT_EQ(readBackupFolder(temp / "b", info), kStatusOk);
    EXPECT_EQ(info.displayName, "");
    EXPECT_EQ(info.serialNumber, "S1");
}

TEST(InfoPlist, LongLinesArriveInPieces) {
    // A key line beyond the 2047-byte piece size is still found in its last piece.
    TempFolder temp;
    test::writeFile(temp / "b" / "Info.plist",
                    std::string(3000, ' ') + "<key>Display Name</key>\n" + "<string>Long</string>\n");
    BackupInfo info;
    ASSERT_EQ(readBackupFolder(temp / "b", info), kStatusOk);
    EXPECT_EQ(info.displayName, "Long");
}

TEST(InfoPlist, MajorVersionAbove11) {
    const struct {
        const char* version;
        bool above;
    } cases[] = {{"11.4", false},  {"12.0", true}, {"12.1", true}, {"9.3.5", false},
                 {"17.4.1", true}, {"", false},    {"x12", false}, {"99999999999999999999", true}};
    for (const auto& c : cases)
        EXPECT_EQ(isMajorVersionAbove11(c.version), c.above) << c.version;
}

TEST(BackupDate, ConvertsWithTheStandardBias) {
    ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3"); // standard bias -60; summer time is not applied
    EXPECT_EQ(backupDateText("2015-03-12T10:20:30Z"), "2015-03-12 11:20:30");
    EXPECT_EQ(backupDateText("2015-03-12T23:30:00Z"), "2015-03-13 00:30:00");
    EXPECT_EQ(backupDateText("2015-07-01T12:00:00Z"), "2015-07-01 13:00:00");
    EXPECT_EQ(backupDateText("2015-12-31T23:59:59Z"), "2016-01-01 00:59:59");
}

TEST(BackupDate, UnparsableDatesStayRewritten) {
    EXPECT_EQ(backupDateText("garbage"), "garbage");
    EXPECT_EQ(backupDateText("2015-03-12"), "2015-03-12");
    EXPECT_EQ(backupDateText("2015-13-12T10:20:30Z"), "2015-13-12 10:20:30");
    EXPECT_EQ(toLocalTimeText("2015-03-12 10:20"), "");
}

TEST(Catalogue, ListsBackupsNewestFirstAndSkipsNonBackups) {
    TempFolder temp;
    const auto root = temp / "root";
    const struct {
        const char* folder;
        const char* date;
    } backups[] = {
        {"old", "2013-01-01T00:00:00Z"}, {"new", "2024-01-01T00:00:00Z"}, {"mid", "2019-06-01T00:00:00Z"}};
    for (const auto& b : backups) {
        BackupBuilder builder;
        builder.infoPlist().setDate("Last Backup Date", b.date).set("Display Name", b.folder);
        builder.build(root / b.folder);
    }
    std::filesystem::create_directories(root / "not-a-backup");
    test::writeFile(root / "stray-file", "x");
    test::writeFile(root / ".hidden" / "Info.plist", BackupBuilder().infoPlist().toXml());

    std::vector<std::filesystem::path> candidates;
    enumerateCandidates({root, temp / "missing-root"}, candidates);
    EXPECT_EQ(candidates.size(), 5u);
    const auto list = listBackups(candidates);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].displayName, "new");
    EXPECT_EQ(list[1].displayName, "mid");
    EXPECT_EQ(list[2].displayName, "old");
}

TEST(Catalogue, EqualDatesKeepCandidateOrder) {
    std::vector<BackupInfo> list(4);
    const char* dates[] = {"2020-01-01 00:00:00", "2021-01-01 00:00:00", "2020-01-01 00:00:00", ""};
    for (int i = 0; i < 4; ++i) {
        list[i].lastBackupDate = dates[i];
        list[i].folder = std::to_string(i);
    }
    sortNewestFirst(list);
    EXPECT_EQ(list[0].folder, "1");
    EXPECT_EQ(list[1].folder, "0");
    EXPECT_EQ(list[2].folder, "2");
    EXPECT_EQ(list[3].folder, "3");
}

TEST(Catalogue, FolderWithoutInfoPlistIsInvalid) {
    TempFolder temp;
    BackupInfo info;
    info.displayName = "kept";
    EXPECT_EQ(readBackupFolder(temp.path(), info), kStatusInvalid);
    EXPECT_EQ(info.displayName, "kept");
    EXPECT_EQ(readBackupFolder(temp / "nowhere", info), kStatusInvalid);
}

TEST(Catalogue, EncryptionIsJudgedByTheAddressBook) {
    const std::string id(kAddressBookFileId);
    const struct {
        const char* name;
        bool twoLevel;
        const char* relative; ///< where the address book goes; empty: none
        std::string content;
        bool encrypted;
    } cases[] = {
        {"plain two-level", true, "31/31bb7ba8914766d4ba40d6dfb6113c8b614be442", "SQLite format 3", false},
        {"plain flat", false, "31bb7ba8914766d4ba40d6dfb6113c8b614be442", "SQLite format 3", false},
        {"lower case magic", false, "31bb7ba8914766d4ba40d6dfb6113c8b614be442", "sqlite format 3", false},
        {"mddata", false, "31bb7ba8914766d4ba40d6dfb6113c8b614be442.mddata", "SQLITE format 3", false},
        {"encrypted", true, "31/31bb7ba8914766d4ba40d6dfb6113c8b614be442",
         std::string("\x8f\x12\xa0\x33\x01\x02\x03", 7), true},
        {"missing", true, "", "", false},
        {"two-level file in flat place", true, "31bb7ba8914766d4ba40d6dfb6113c8b614be442",
         "\x01\x02\x03\x04\x05\x06", false},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        if (c.twoLevel) test::writeFile(temp / "Manifest.db", "");
        if (*c.relative) test::writeFile(temp / c.relative, c.content);
        EXPECT_EQ(isEncryptedBackup(temp.path()), c.encrypted) << c.name;
    }
}

// Manifest.plist's IsEncrypted decides when it says; the address book is
// asked only when it does not.
TEST(Catalogue, ManifestPlistDecidesWhetherABackupIsEncrypted) {
    const std::string xmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>";
    const std::string plainBook = "SQLite format 3";
    const std::string cipherBook("\x8f\x12\xa0\x33\x01\x02\x03", 7);
    const struct {
        const char* name;
        std::string plist; ///< empty: no Manifest.plist
        std::string book;  ///< empty: no address book
        bool encrypted;
    } cases[] = {
        {"encrypted without an address book", xmlHead + "<key>IsEncrypted</key><true/></dict></plist>", "", true},
        {"encrypted with a readable-looking address book", xmlHead + "<key>IsEncrypted</key><true/></dict></plist>",
         plainBook, true},
        {"said plain", xmlHead + "<key>IsEncrypted</key><false/></dict></plist>", cipherBook, false},
        {"silent plist: the address book decides", xmlHead + "<key>Version</key><string>10.0</string></dict></plist>",
         cipherBook, true},
        {"flag of the wrong type", xmlHead + "<key>IsEncrypted</key><string>yes</string></dict></plist>", plainBook,
         false},
        {"damaged plist", "<?xml <plist><dict><key>IsEncrypted</key><tru", cipherBook, true},
        {"no plist", "", plainBook, false},
    };
    const std::string id(kAddressBookFileId);
    for (const auto& c : cases) {
        TempFolder temp;
        test::writeFile(temp / "Manifest.db", "");
        if (!c.plist.empty()) test::writeFile(temp / "Manifest.plist", c.plist);
        if (!c.book.empty()) test::writeFile(temp / id.substr(0, 2) / id, c.book);
        EXPECT_EQ(isEncryptedBackup(temp.path()), c.encrypted) << c.name;
    }
}

} // namespace
} // namespace orvelle
