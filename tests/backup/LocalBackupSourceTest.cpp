#include "backup/LocalBackupSource.h"

#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "backup/StoredFileCopy.h"
#include "backup/encryption/DecryptProtocol.h"
#include "support/BackupBuilder.h"
#include "support/DemoBackup.h"
#include "support/DemoDatabases.h"
#include "support/DeviceDbCalls.h"
#include "support/DeviceDbMessengers.h"
#include "support/DeviceDbNoteStore.h"
#include "support/DeviceDbNotes.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::TempFolder;

/// Records every value the source reports and answers `answer`.
struct Reports {
    std::vector<std::int32_t> values;
    std::int32_t answer = 0;
    static std::int32_t record(void* self, std::int32_t value) {
        auto& r = *static_cast<Reports*>(self);
        r.values.push_back(value);
        return r.answer;
    }
};

/// A store with `folder` made current and a local-backup source over it.
struct OpenedSource {
    explicit OpenedSource(const std::filesystem::path& folder, const std::filesystem::path& data)
        : store({{}, data}) {
        BackupInfo info;
        EXPECT_EQ(readBackupFolder(folder, info), kStatusOk);
        store.selectBackup(info);
        auto local = std::make_unique<LocalBackupSource>();
        local->setDecryptProgram(std::filesystem::path(ORVELLE_BIN_DIR) / kDecryptProgramName);
        local->attach(&store);
        source = std::move(local);
        source->setCallback(&Reports::record, &reports);
    }
    BackupStore store;
    Reports reports;
    std::unique_ptr<ScanSource> source;
};

std::filesystem::path demoRecent(const TempFolder& temp) {
    test::makeDemoBackups(temp / "root");
    return temp / "root" / std::string(test::kDemoRecentFolder);
}

TEST(LocalBackupSource, OpenOfAPlainBackupReports0Then1Then12) {
    TempFolder temp;
    OpenedSource s(demoRecent(temp), temp / "data");
    EXPECT_EQ(s.source->open(""), kStatusOk);
    EXPECT_EQ(s.reports.values, (std::vector<std::int32_t>{0, 1, 12}));
    EXPECT_FALSE(s.store.manifest().empty());
}

TEST(LocalBackupSource, OpenOfAnEncryptedBackupRisesFrom1To11AndReports11Twice) {
    TempFolder temp;
    const auto folder = test::makeEncryptedDemoBackup(temp / "root");
    OpenedSource s(folder, temp / "data");
    ASSERT_EQ(s.source->open(test::kDemoPassword), kStatusOk);
    const auto& v = s.reports.values;
    ASSERT_GE(v.size(), 4u);
    // Output pieces without a count line, and every quiet moment of the decryption program (its key
    // derivation), report the running value again; the scan page ignores values that do not rise.
    std::vector<std::int32_t> rising(v);
    rising.erase(std::unique(rising.begin(), rising.end()), rising.end());
    ASSERT_GE(rising.size(), 2u) << ::testing::PrintToString(v);
    EXPECT_EQ(rising[0], 0);
    EXPECT_EQ(rising[1], 1);
    EXPECT_TRUE(std::all_of(rising.begin() + 1, rising.end(), [](std::int32_t x) { return x >= 1 && x <= 11; }))
        << ::testing::PrintToString(v);
    EXPECT_EQ(v[v.size() - 2], 11);
    EXPECT_EQ(v.back(), 11);
    std::vector<ContactRecord> contacts; // read from the decrypted copy
    EXPECT_EQ(s.source->scanContacts(contacts), kStatusOk);
    EXPECT_EQ(contacts.size(), 6u);
}

// A database that grew after the manifest listed it, and one that shrank:
// the decrypted copies keep every row.
TEST(LocalBackupSource, StaleRecordedSizesOfAnEncryptedBackupLoseNoRows) {
    TempFolder temp;
    const auto folder = test::makeEncryptedDemoBackup(temp / "root", [](const std::string& domainPath,
                                                                        std::uint64_t& size) {
        if (domainPath == "HomeDomain-Library/SMS/sms.db") size /= 2;
        if (domainPath == "HomeDomain-Library/AddressBook/AddressBook.sqlitedb") size += 8192;
    });
    OpenedSource s(folder, temp / "data");
    ASSERT_EQ(s.source->open(test::kDemoPassword), kStatusOk);
    const test::DemoDatabaseFigures expected;
    ConversationMap chats;
    EXPECT_EQ(s.source->scanMessages(chats), kStatusOk);
    EXPECT_EQ(chats.size(), static_cast<std::size_t>(expected.messageChats));
    std::size_t messages = 0;
    for (const auto& [chat, rows] : chats)
        messages += rows.size();
    EXPECT_EQ(messages, static_cast<std::size_t>(expected.liveMessages + expected.deletedMessages));
    std::vector<ContactRecord> contacts;
    EXPECT_EQ(s.source->scanContacts(contacts), kStatusOk);
    EXPECT_EQ(contacts.size(), 6u);
}

TEST(LocalBackupSource, AWrongPasswordIsAnsweredWithMinus110) {
    TempFolder temp;
    const auto folder = test::makeEncryptedDemoBackup(temp / "root");
    OpenedSource s(folder, temp / "data");
    EXPECT_EQ(s.source->open("not the password"), kStatusWrongPassword);
}

TEST(LocalBackupSource, DatabaseScansFindLiveAndDeletedRowsAndAdvanceByHalfAStep) {
    TempFolder temp;
    OpenedSource s(demoRecent(temp), temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    const test::DemoDatabaseFigures expected;
    ConversationMap chats;
    chats[99].push_back({}); // replaced by the scan
    s.reports.values.clear();
    EXPECT_EQ(s.source->scanMessages(chats), kStatusOk);
    EXPECT_EQ(chats.size(), static_cast<std::size_t>(expected.messageChats));
    EXPECT_EQ(s.reports.values.back(), 12 + 11 / 2);
    EXPECT_TRUE(std::is_sorted(s.reports.values.begin(), s.reports.values.end()));
    EXPECT_GT(s.store.largestMessageRowId(), 0);
    EXPECT_NE(s.store.largestMessageRowId(), kInitialRowIdMark);

    std::vector<CallRecord> calls;
    EXPECT_EQ(s.source->scanCallHistory(calls), kStatusOk);
    EXPECT_EQ(calls.size(), static_cast<std::size_t>(expected.liveCalls + expected.deletedCalls));
    std::vector<NoteRecord> notes;
    EXPECT_EQ(s.source->scanNotes(notes), kStatusOk);
    EXPECT_EQ(notes.size(), static_cast<std::size_t>(expected.liveNotes + expected.deletedNotes));
    WhatsAppChatMap whatsApp;
    EXPECT_EQ(s.source->scanWhatsApp(whatsApp), kStatusOk);
    EXPECT_EQ(whatsApp.size(), static_cast<std::size_t>(expected.whatsAppChats));
}

template <typename Record> std::size_t deletedIn(const std::vector<Record>& records) {
    return static_cast<std::size_t>(
        std::count_if(records.begin(), records.end(), [](const Record& r) { return r.deleted != kLive; }));
}

TEST(LocalBackupSource, RemindersCalendarAndBookmarksComeLiveAndDeleted) {
    TempFolder temp;
    OpenedSource s(demoRecent(temp), temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    const test::DemoDatabaseFigures expected;
    s.reports.values.clear();
    std::vector<ReminderRecord> reminders;
    EXPECT_EQ(s.source->scanReminders(reminders), kStatusOk);
    EXPECT_EQ(reminders.size(), static_cast<std::size_t>(expected.liveReminders + expected.deletedReminders));
    EXPECT_EQ(deletedIn(reminders), static_cast<std::size_t>(expected.deletedReminders));
    EXPECT_EQ(s.reports.values.back(), 12 + 11 / 2);
    EXPECT_TRUE(std::is_sorted(s.reports.values.begin(), s.reports.values.end()));
    std::vector<CalendarEventRecord> events;
    EXPECT_EQ(s.source->scanCalendar(events), kStatusOk);
    EXPECT_EQ(events.size(), static_cast<std::size_t>(expected.liveEvents + expected.deletedEvents));
    EXPECT_EQ(deletedIn(events), static_cast<std::size_t>(expected.deletedEvents));
    std::vector<BookmarkRecord> bookmarks;
    EXPECT_EQ(s.source->scanBookmarks(bookmarks), kStatusOk);
    EXPECT_EQ(bookmarks.size(), static_cast<std::size_t>(expected.liveBookmarks + expected.deletedBookmarks));
    EXPECT_EQ(deletedIn(bookmarks), static_cast<std::size_t>(expected.deletedBookmarks));
    EXPECT_EQ(s.reports.values.back(), 12 + 3 * (11 / 2));
}

TEST(LocalBackupSource, AMissingDatabaseIsFileMissingNeverTheStopValue) {
    TempFolder temp;
    test::makeDemoBackups(temp / "root"); // the older backup holds no databases
    OpenedSource s(temp / "root" / std::string(test::kDemoOlderFolder), temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    ConversationMap chats;
    std::vector<ContactRecord> contacts;
    std::vector<CallRecord> calls;
    std::vector<NoteRecord> notes;
    EXPECT_EQ(s.source->scanMessages(chats), kStatusFileMissing);
    EXPECT_EQ(s.source->scanContacts(contacts), kStatusFileMissing);
    EXPECT_EQ(s.source->scanCallHistory(calls), kStatusFileMissing);
    EXPECT_EQ(s.source->scanNotes(notes), kStatusFileMissing);
    EXPECT_TRUE(chats.empty() && contacts.empty() && calls.empty() && notes.empty());
    std::vector<ReminderRecord> reminders;
    std::vector<CalendarEventRecord> events;
    std::vector<BookmarkRecord> bookmarks;
    EXPECT_EQ(s.source->scanReminders(reminders), kStatusFileMissing);
    EXPECT_EQ(s.source->scanCalendar(events), kStatusFileMissing);
    EXPECT_EQ(s.source->scanBookmarks(bookmarks), kStatusFileMissing);
    WhatsAppChatMap whatsApp;
    EXPECT_EQ(s.source->scanWhatsApp(whatsApp), kStatusFileMissing); // like the other databases
    EXPECT_TRUE(whatsApp.empty());
    AccountChatMap qq{{"stale", {}}}, weChat{{"stale", {}}};
    EXPECT_EQ(s.source->scanQQ(qq), kStatusFileMissing);
    EXPECT_EQ(s.source->scanWeChat(weChat), kStatusFileMissing);
    EXPECT_TRUE(qq.empty() && weChat.empty());
}

TEST(LocalBackupSource, QqAndWeChatChatsOfTheDemoComeLiveAndDeleted) {
    TempFolder temp;
    OpenedSource s(demoRecent(temp), temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    const test::DemoDatabaseFigures expected;
    const struct {
        Status (*scan)(ScanSource&, AccountChatMap&);
        const char* account;
        int chats, live, deleted;
    } cases[] = {
        {[](ScanSource& source, AccountChatMap& chats) { return source.scanQQ(chats); }, "10001",
         expected.qqChats, expected.liveQqMessages, expected.deletedQqMessages},
        {[](ScanSource& source, AccountChatMap& chats) { return source.scanWeChat(chats); }, "User1",
         expected.weChatChats, expected.liveWeChatMessages, expected.deletedWeChatMessages},
    };
    for (const auto& c : cases) {
        AccountChatMap chats;
        EXPECT_EQ(c.scan(*s.source, chats), kStatusOk) << c.account;
        ASSERT_EQ(chats.size(), 1u) << c.account;
        ASSERT_TRUE(chats.count(c.account)) << c.account;
        const PartnerChatMap& partners = chats.at(c.account);
        EXPECT_EQ(static_cast<int>(partners.size()), c.chats) << c.account;
        int live = 0, deleted = 0;
        for (const auto& [partner, messages] : partners)
            for (const MessageRecord& m : messages)
                (m.deleted == kLive ? live : deleted)++;
        EXPECT_EQ(live, c.live) << c.account;
        EXPECT_EQ(deleted, c.deleted) << c.account;
    }
}

TEST(LocalBackupSource, MessengerAccountsAreKeyedAndReadWithTheFilesOfTheirOwnFolder) {
    TempFolder temp;
    const auto contentOf = [&](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto qqWith = [&](const char* name, const char* partner, const char* text) {
        test::QqDb db(temp / name);
        db.addPartner(partner);
        db.addMessage(partner, test::MessengerMessage{1577836800, false, text});
        db.close();
        return contentOf(temp / name);
    };
    /// A WeChat database file with `friendName`'s chat holding one message (and the friend when
    /// `withFriend`).
    const auto weChatWith = [&](const char* name, bool withFriend, const char* friendName, const char* text) {
        test::WeChatDb db(temp / name, withFriend);
        if (withFriend) db.addFriend(friendName, std::string("Nick of ") + friendName);
        db.addChatTable(friendName);
        db.addMessage(friendName, test::MessengerMessage{1577836800, false, text});
        db.close();
        return contentOf(temp / name);
    };
    test::BackupBuilder backup;
    backup.addFile("AppDomain-com.tencent.mqq", "Documents/111/QQ.db", qqWith("a.db", "5", "first account"));
    backup.addFile("AppDomain-com.tencent.mqq", "Documents/111/QQ.db-wal", "");
    backup.addFile("AppDomain-com.tencent.mqq", "Documents/222/QQ.db", qqWith("b.db", "6", "second account"));
    // Two WeChat accounts: file in its folder, whether it holds the friend, whose chat, its one text.
    const struct {
        const char* path;
        bool withFriend;
        const char* friendName;
        const char* text;
    } weChatFiles[] = {
        {"Documents/aaaa/DB/MM.sqlite", true, "wxid_a", "mm a"},
        {"Documents/aaaa/DB/message_10.sqlite", false, "wxid_a", "tenth file"},
        {"Documents/aaaa/DB/message_2.sqlite", false, "wxid_a", "second file"},
        {"Documents/bbbb/DB/MM.sqlite", false, "wxid_b", "mm b"},
        {"Documents/bbbb/DB/WCDB_Contact.sqlite", true, "wxid_b", "contact file chat"},
        {"Documents/bbbb/DB/old_message_1.sqlite", false, "wxid_b", "not a message file"},
    };
    int made = 0;
    for (const auto& f : weChatFiles) {
        const std::string scratch = std::to_string(++made) + ".sqlite";
        backup.addFile("AppDomain-com.tencent.xin", f.path,
                       weChatWith(scratch.c_str(), f.withFriend, f.friendName, f.text));
    }
    backup.build(temp / "backup");

    OpenedSource s(temp / "backup", temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    AccountChatMap qq;
    EXPECT_EQ(s.source->scanQQ(qq), kStatusOk);
    ASSERT_EQ(qq.size(), 2u);
    EXPECT_EQ(qq["111"]["5"].at(0).text, "first account");
    EXPECT_EQ(qq["222"]["6"].at(0).text, "second account");

    AccountChatMap weChat;
    EXPECT_EQ(s.source->scanWeChat(weChat), kStatusOk);
    ASSERT_EQ(weChat.size(), 2u);
    std::vector<std::string> texts;
    for (const MessageRecord& m : weChat["User1"]["wxid_a"])
        texts.push_back(m.text);
    // Equal dates keep the order of the files: MM.sqlite, then message_2, then message_10.
    EXPECT_EQ(texts, (std::vector<std::string>{"mm a", "second file", "tenth file"}));
    ASSERT_EQ(weChat["User2"].size(), 1u);
    const std::vector<MessageRecord>& b = weChat["User2"]["wxid_b"];
    ASSERT_EQ(b.size(), 1u); // the contact file's own chat tables and other files are not message files
    EXPECT_EQ(b[0].text, "mm b");
    EXPECT_EQ(b[0].contactName, "Nick of wxid_b"); // the friend of WCDB_Contact.sqlite
}

TEST(LocalBackupSource, TheOlderCallHistoryIsReadWhenTheNewerIsMissing) {
    TempFolder temp;
    {
        test::CallHistoryDb db(temp / "call_history.db", test::CallHistoryLayout::callIos7);
        test::Call call;
        call.number = "+12025550143";
        db.addCall(call);
        db.addCall(call);
        db.close();
    }
    std::ifstream in(temp / "call_history.db", std::ios::binary);
    test::BackupBuilder b;
    b.addFile("WirelessDomain", "Library/CallHistory/call_history.db",
              std::string(std::istreambuf_iterator<char>(in), {}));
    b.build(temp / "backup");
    OpenedSource s(temp / "backup", temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    std::vector<CallRecord> calls;
    EXPECT_EQ(s.source->scanCallHistory(calls), kStatusOk);
    EXPECT_EQ(calls.size(), 2u);
}

TEST(LocalBackupSource, NotesComeFromTheNoteStoreAloneAndFromBothFilesTogether) {
    TempFolder temp;
    {
        test::NoteStoreDb store(temp / "NoteStore.sqlite");
        store.addNote(test::StoreNote{});
        store.close();
        test::NotesDb older(temp / "notes.sqlite");
        older.addNote(test::Note{});
        older.close();
    }
    const auto contentOf = [&](const char* name) {
        std::ifstream in(temp / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    test::BackupBuilder newer;
    newer.addFile("AppDomainGroup-group.com.apple.notes", "NoteStore.sqlite", contentOf("NoteStore.sqlite"));
    newer.build(temp / "newer");
    test::BackupBuilder both;
    both.addFile("AppDomainGroup-group.com.apple.notes", "NoteStore.sqlite", contentOf("NoteStore.sqlite"));
    both.addFile("HomeDomain", "Library/Notes/notes.sqlite", contentOf("notes.sqlite"));
    both.build(temp / "both");
    const struct {
        const char* folder;
        std::vector<std::string> titles;
    } cases[] = {{"newer", {"Groceries"}}, {"both", {"Shopping", "Groceries"}}};
    for (const auto& c : cases) {
        OpenedSource s(temp / c.folder, temp / "data");
        ASSERT_EQ(s.source->open(""), kStatusOk) << c.folder;
        std::vector<NoteRecord> notes;
        EXPECT_EQ(s.source->scanNotes(notes), kStatusOk) << c.folder;
        std::vector<std::string> titles;
        for (const NoteRecord& n : notes) titles.push_back(n.title);
        EXPECT_EQ(titles, c.titles) << c.folder;
    }
}

TEST(LocalBackupSource, OnlyTheCallbacksAnswerStopsADatabaseScan) {
    TempFolder temp;
    OpenedSource s(demoRecent(temp), temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    s.reports.answer = kStatusStopped;
    std::vector<ContactRecord> contacts;
    EXPECT_EQ(s.source->scanContacts(contacts), kStatusStopped);
    ConversationMap chats;
    EXPECT_EQ(s.source->scanMessages(chats), kStatusStopped);
}

TEST(LocalBackupSource, WhatsAppAttachmentsAloneAreEmptyUntilAppFilesWereScanned) {
    TempFolder temp;
    OpenedSource s(demoRecent(temp), temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    std::vector<MediaFileRecord> attachments(1);
    EXPECT_EQ(s.source->scanWhatsAppAttachments(attachments), kStatusOk);
    EXPECT_TRUE(attachments.empty());
    std::vector<AppFileRecord> appFiles;
    ASSERT_EQ(s.source->scanAppFiles(appFiles), kStatusOk);
    EXPECT_EQ(s.source->scanWhatsAppAttachments(attachments), kStatusOk);
    EXPECT_EQ(attachments.size(), 4u);
}

TEST(LocalBackupSource, ExportsOfDeletedRowsWriteSqlValueLines) {
    TempFolder temp;
    OpenedSource s(demoRecent(temp), temp / "data");
    ASSERT_EQ(s.source->open(""), kStatusOk);
    EXPECT_EQ(s.source->exportDeletedMessages(temp / "messages.sql"), kStatusOk);
    EXPECT_EQ(s.source->exportDeletedContacts(temp / "contacts.sql"), kStatusOk);
    EXPECT_GT(std::filesystem::file_size(temp / "messages.sql"), 0u);
    EXPECT_GT(std::filesystem::file_size(temp / "contacts.sql"), 0u);
}

TEST(ScanSourceFactory, Type1IsTheBackupType0TheDeviceOthersNone) {
    BackupStore store({{}, {}});
    const auto local = createScanSource(1, &store);
    ASSERT_NE(local, nullptr);
    EXPECT_TRUE(local->isLocalBackup(0));
    EXPECT_EQ(local->reserved(7), kStatusOk);
    const auto device = createScanSource(0, &store);
    ASSERT_NE(device, nullptr);
    EXPECT_FALSE(device->isLocalBackup(0));
    EXPECT_EQ(device->open(""), kStatusFailed);
    std::vector<ContactRecord> contacts(1);
    EXPECT_EQ(device->scanContacts(contacts), kStatusFailed);
    EXPECT_TRUE(contacts.empty());
    EXPECT_EQ(createScanSource(2, &store), nullptr);
    EXPECT_EQ(createScanSource(-1, &store), nullptr);
}

/// Records the copy's reports.
struct CopyReports {
    std::vector<std::pair<int, Status>> calls;
    static int record(void* self, int percent, Status status, const std::filesystem::path&) {
        static_cast<CopyReports*>(self)->calls.emplace_back(percent, status);
        return status; // a failed step stops the copy
    }
};

TEST(StoredFileCopy, AFileOneByteOverAChunkReports99Then100) {
    TempFolder temp;
    std::string content(65537, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    std::ofstream(temp / "source", std::ios::binary) << content;
    CopyReports reports;
    BackupStore store({{}, {}});
    const auto source = createScanSource(1, &store);
    EXPECT_EQ(
        source->copyFile(temp / "source", temp / "out" / "nested" / "copy", &CopyReports::record, &reports),
        kStatusOk);
    EXPECT_EQ(reports.calls, (std::vector<std::pair<int, Status>>{{99, 0}, {100, 0}}));
    std::ifstream in(temp / "out" / "nested" / "copy", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
}

TEST(StoredFileCopy, AReadFailureAfterTheFirstChunkReports99Then100WithTheReadsCode) {
    CopyReports reports;
    const ChunkReader read = [](std::uint64_t offset, void*, std::size_t length, std::size_t& got) {
        got = offset == 0 ? length : 0;
        return offset == 0 ? kStatusOk : Status{5};
    };
    const ChunkWriter write = [](std::uint64_t, const void*, std::size_t) { return kStatusOk; };
    EXPECT_EQ(copyChunks(65537, read, write, &CopyReports::record, &reports, "copy"), 5);
    EXPECT_EQ(reports.calls, (std::vector<std::pair<int, Status>>{{99, 0}, {100, 5}}));
}

// Chunks the system copies itself and chunks it cannot (read and written
// instead) give one byte-exact copy and the same reports.
TEST(StoredFileCopy, ChunksTheSystemCannotCopyAreReadAndWritten) {
    std::string source(3 * kCopyChunkBytes + 5, '\0');
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<char>(i * 31);
    std::string target(source.size(), '\0');
    std::vector<std::uint64_t> direct, readBack;
    const ChunkCopier copier = [&](std::uint64_t offset, std::size_t length) {
        if (offset / kCopyChunkBytes % 2 == 1) return false;
        target.replace(offset, length, source, offset, length);
        direct.push_back(offset);
        return true;
    };
    const ChunkReader read = [&](std::uint64_t offset, void* buffer, std::size_t length, std::size_t& got) {
        readBack.push_back(offset);
        std::memcpy(buffer, source.data() + offset, length);
        got = length;
        return kStatusOk;
    };
    const ChunkWriter write = [&](std::uint64_t offset, const void* data, std::size_t length) {
        target.replace(offset, length, static_cast<const char*>(data), length);
        return kStatusOk;
    };
    CopyReports reports;
    EXPECT_EQ(copyChunks(source.size(), read, write, &CopyReports::record, &reports, "copy", copier),
              kStatusOk);
    EXPECT_EQ(target, source);
    EXPECT_EQ(direct, (std::vector<std::uint64_t>{0, 2 * kCopyChunkBytes}));
    EXPECT_EQ(readBack, (std::vector<std::uint64_t>{kCopyChunkBytes, 3 * kCopyChunkBytes}));
    EXPECT_EQ(reports.calls, (std::vector<std::pair<int, Status>>{{33, 0}, {66, 0}, {99, 0}, {100, 0}}));
}

TEST(StoredFileCopy, AMissingSourceIs87WithOnlyTheClosingCallAndAnEmptyOneIsSilent) {
    TempFolder temp;
    CopyReports reports;
    EXPECT_EQ(copyStoredFile(temp / "missing", temp / "copy", &CopyReports::record, &reports),
              kStatusInvalid);
    EXPECT_EQ(reports.calls, (std::vector<std::pair<int, Status>>{{100, kStatusInvalid}}));
    reports.calls.clear();
    std::ofstream(temp / "empty").close();
    EXPECT_EQ(copyStoredFile(temp / "empty", temp / "empty-copy", &CopyReports::record, &reports), kStatusOk);
    EXPECT_TRUE(reports.calls.empty());
    EXPECT_EQ(std::filesystem::file_size(temp / "empty-copy"), 0u);
}

} // namespace
} // namespace orvelle
