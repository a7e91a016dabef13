#include "backup/FileId.h"

#include "backup/KnownFileIds.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(FileId, MatchesTheFixedDatabaseIds) {
    const struct {
        const char* domainPath;
        std::string_view id;
    } cases[] = {
        {"HomeDomain-Library/AddressBook/AddressBook.sqlitedb", kAddressBookFileId},
        {"HomeDomain-Library/SMS/sms.db", kMessagesFileId},
        {"HomeDomain-Library/CallHistoryDB/CallHistory.storedata", kCallHistoryFileId},
        {"WirelessDomain-Library/CallHistory/call_history.db", kOlderCallHistoryFileId},
        {"HomeDomain-Library/Notes/notes.sqlite", kNotesFileId},
        {"AppDomainGroup-group.com.apple.notes-NoteStore.sqlite", kNoteStoreFileId},
    };
    FileIdHasher hasher;
    for (const auto& c : cases) {
        EXPECT_EQ(fileIdOf(c.domainPath), c.id);
        EXPECT_EQ(hasher.fileIdOf(c.domainPath), c.id) << "reused context";
    }
    EXPECT_EQ(fileIdOf("HomeDomain", "Library/SMS/sms.db"), kMessagesFileId);
}

TEST(FileId, KeepsLeadingZerosOfEveryDigestWord) {
    // The first digest word is 0x0000071a, the third 0x00029296.
    EXPECT_EQ(fileIdOf("CameraRollDomain-Media/DCIM/100APPLE/IMG_3237.JPG"),
              "0000071a969abc7cb326f032e979c5f7cccf78ea");
    EXPECT_EQ(fileIdOf("HomeDomain-Library/Preferences/p2118.plist"),
              "657743e500029296195cc3f84937de2547889ab0");
    EXPECT_EQ(fileIdOf(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_TRUE(isFileId(fileIdOf("x")));
    EXPECT_FALSE(isFileId("0000071A969ABC7CB326F032E979C5F7CCCF78EA"));
    EXPECT_FALSE(isFileId("../../etc/passwd"));
}

} // namespace
} // namespace orvelle
