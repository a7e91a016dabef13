#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/MessengerTables.h"
#include "sqlite_records/decoders/QqDecoder.h"
#include "sqlite_records/decoders/WeChatDecoder.h"
#include "support/DeviceDbMessengers.h"
#include "support/TempFolder.h"
#include "support/WriteAheadLogFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace orvelle {
namespace {

using test::MessengerMessage;
using test::QqDb;
using test::StoredRow;
using test::WeChatDb;

/// What a test compares of a message: date, direction and text.
using Seen = std::tuple<std::string, int, std::string>;

Seen seen(const MessageRecord& m) {
    return {m.date, m.fromMe, m.text};
}

/// A message of the n-th minute after 2020-01-01 00:00:00 UTC with a text
/// long enough that a few hundred of them fill several pages.
MessengerMessage numbered(int n, std::string_view who) {
    MessengerMessage m;
    m.unixSeconds = 1577836800 + 60 * n;
    m.fromMe = n % 3 == 0;
    m.text = std::string(who) + " message " + std::to_string(n) + " " + std::string(60, 'x');
    return m;
}

std::string dateOf(const MessengerMessage& m) {
    DateTextCache dates;
    return dates.unixText(m.unixSeconds);
}

Seen seen(const MessengerMessage& m) {
    return {dateOf(m), m.fromMe ? 1 : 0, m.text};
}

/// The texts of deleted rows as stored (column `textColumn`).
std::set<std::string> textsOf(const std::vector<StoredRow>& rows, std::size_t textColumn) {
    std::set<std::string> texts;
    for (const StoredRow& row : rows)
        texts.insert(row.values.at(textColumn).bytes);
    return texts;
}

/// The deleted rows whose record bytes still stand whole in `file`: a page
/// that was rebalanced or reused lost the others.
std::vector<StoredRow> intactIn(const std::filesystem::path& file, const std::vector<StoredRow>& rows) {
    const std::string bytes = test::readFile(file);
    std::vector<StoredRow> intact;
    for (const StoredRow& row : rows)
        if (bytes.find(test::recordSignature(row.values)) != std::string::npos) intact.push_back(row);
    return intact;
}

std::multiset<Seen> liveOf(const std::vector<MessageRecord>& messages) {
    std::multiset<Seen> out;
    for (const MessageRecord& m : messages)
        if (m.deleted == kLive) out.insert(seen(m));
    return out;
}

std::set<std::string> deletedTextsOf(const std::vector<MessageRecord>& messages) {
    std::set<std::string> out;
    for (const MessageRecord& m : messages)
        if (m.deleted != kLive) out.insert(m.text);
    return out;
}

/// Checks the rows of a deleted range that still stand whole in `file`: each
/// comes back once, in the partner's conversation (freeblocks of pages that
/// stayed in the tree) or under "Unknown" (freed pages). A stale copy left in
/// a rebalanced page's gap may have lost the start of its record to a
/// freeblock header, so nearly all, not all, of them are asked for.
void expectRangeRecovered(const std::filesystem::path& file, const std::vector<StoredRow>& range,
                          std::size_t textColumn, const std::set<std::string>& partnerDeleted,
                          const std::set<std::string>& unknown) {
    const std::vector<StoredRow> intact = intactIn(file, range);
    EXPECT_GT(intact.size(), range.size() / 2);
    std::size_t found = 0;
    for (const std::string& text : textsOf(intact, textColumn)) {
        EXPECT_LE(unknown.count(text) + partnerDeleted.count(text), 1u) << text;
        found += unknown.count(text) + partnerDeleted.count(text);
    }
    EXPECT_GE(found * 100, intact.size() * 95);
}

bool inDateOrder(const std::vector<MessageRecord>& messages) {
    return std::is_sorted(messages.begin(), messages.end(),
                          [](const MessageRecord& a, const MessageRecord& b) { return a.date < b.date; });
}

TEST(QqDecoderTest, LiveRowsExactlyAndDeletedRowsFromFreeblocksAndFreedPages) {
    test::TempFolder temp;
    QqDb db(temp / "QQ.db");
    db.addPartner("12345");
    db.addPartner("67890");
    std::multiset<Seen> expectedA, expectedB;
    for (int n = 0; n < 300; ++n) {
        db.addMessage("12345", numbered(n, "a"));
        expectedA.insert(seen(numbered(n, "a")));
    }
    for (int n = 0; n < 40; ++n) {
        db.addMessage("67890", numbered(1000 - n, "b")); // inserted newest first
        expectedB.insert(seen(numbered(1000 - n, "b")));
    }
    const auto scattered = db.fixture().deleteWhere("tb_c2cMsg_12345", "rowid % 7 = 3 AND rowid < 100");
    const auto range = db.fixture().deleteRange("tb_c2cMsg_12345", 150, 280);
    db.close();
    for (const StoredRow& row : scattered)
        expectedA.erase(expectedA.find(Seen{dateOf({row.values[2].integer, false, {}}),
                                            row.values[4].integer == 0 ? 1 : 0, row.values[6].bytes}));
    for (const StoredRow& row : range)
        expectedA.erase(expectedA.find(Seen{dateOf({row.values[2].integer, false, {}}),
                                            row.values[4].integer == 0 ? 1 : 0, row.values[6].bytes}));

    PartnerChatMap chats;
    ASSERT_EQ(decodeQQ(temp / "QQ.db", chats), kStatusOk);
    ASSERT_TRUE(chats.count("12345"));
    ASSERT_TRUE(chats.count("67890"));
    EXPECT_EQ(liveOf(chats["12345"]), expectedA);
    EXPECT_EQ(liveOf(chats["67890"]), expectedB);
    EXPECT_TRUE(inDateOrder(chats["67890"]));
    for (const MessageRecord& m : chats["12345"])
        EXPECT_EQ(m.address, "12345");

    // Freeblocks stay with their table; freed pages go to "Unknown", once.
    const std::set<std::string> recovered = deletedTextsOf(chats["12345"]);
    for (const std::string& text : textsOf(scattered, 6))
        EXPECT_TRUE(recovered.count(text)) << text;
    ASSERT_TRUE(chats.count(std::string(kUnknownPartner)));
    const std::set<std::string> unknown = deletedTextsOf(chats[std::string(kUnknownPartner)]);
    expectRangeRecovered(temp / "QQ.db", range, 6, recovered, unknown);
    EXPECT_TRUE(deletedTextsOf(chats["67890"]).empty());
    EXPECT_EQ(liveOf(chats[std::string(kUnknownPartner)]).size(), 0u);
}

TEST(QqDecoderTest, AListedTableTheFileLacksIsReportedAndTheOthersAreRead) {
    test::TempFolder temp;
    QqDb db(temp / "QQ.db");
    db.addPartner("12345");
    db.listTable("tb_c2cMsg_55555");                      // listed, never created
    db.listTable("tb_c2cMsg_1; DROP TABLE tb_c2cTables"); // a name is only looked up, never run
    db.addMessage("12345", MessengerMessage{});
    db.close();
    PartnerChatMap chats;
    EXPECT_EQ(decodeQQ(temp / "QQ.db", chats), kStatusDatabaseDamaged);
    ASSERT_EQ(chats.size(), 1u);
    EXPECT_EQ(chats["12345"].size(), 1u);
}

TEST(QqDecoderTest, AFileWithoutATableListIsReported) {
    test::TempFolder temp;
    test::SqliteFixture db(temp / "QQ.db");
    db.exec("CREATE TABLE other (a)");
    db.close();
    PartnerChatMap chats;
    EXPECT_EQ(decodeQQ(temp / "QQ.db", chats), kStatusTableMissing);
    EXPECT_TRUE(chats.empty());
    EXPECT_EQ(decodeQQ(temp / "missing.db", chats), kStatusFileMissing);
}

/// A WeChat account of the newer layout: friends in MM.sqlite and in
/// WCDB_Contact.sqlite, chats in MM.sqlite and two message files.
class WeChatAccountTest : public ::testing::Test {
protected:
    WeChatDatabases files() const {
        return {m_temp / "MM.sqlite",
                {m_temp / "message_1.sqlite", m_temp / "message_2.sqlite"},
                m_temp / "WCDB_Contact.sqlite"};
    }
    test::TempFolder m_temp;
};

TEST_F(WeChatAccountTest, OnePartnersRowsFromEveryFileMakeOneConversation) {
    WeChatDb mm(m_temp / "MM.sqlite", true);
    mm.addFriend("wxid_alice", "Alice");
    mm.addChatTable("wxid_alice");
    WeChatDb contacts(m_temp / "WCDB_Contact.sqlite", true);
    contacts.addFriend("wxid_bob", "Bob");
    contacts.addFriend("张三", "Zhang San"); // hashed as UTF-8 bytes
    WeChatDb one(m_temp / "message_1.sqlite", false);
    one.addChatTable("wxid_alice");
    one.addChatTable("张三");
    WeChatDb two(m_temp / "message_2.sqlite", false);
    two.addChatTable("wxid_bob");
    two.addChatTable("wxid_stranger"); // no friend row leads to it

    std::multiset<Seen> alice, bob, zhang;
    for (int n = 0; n < 10; ++n) { // the older half in MM.sqlite
        mm.addMessage("wxid_alice", numbered(2 * n, "alice"));
        alice.insert(seen(numbered(2 * n, "alice")));
    }
    for (int n = 0; n < 200; ++n) { // the rest interleaved in time, in message_1
        one.addMessage("wxid_alice", numbered(2 * n + 1, "alice"));
        alice.insert(seen(numbered(2 * n + 1, "alice")));
    }
    one.addMessage("张三", numbered(5, "zhang"));
    zhang.insert(seen(numbered(5, "zhang")));
    for (int n = 0; n < 300; ++n) {
        two.addMessage("wxid_bob", numbered(n, "bob"));
        bob.insert(seen(numbered(n, "bob")));
    }
    two.addMessage("wxid_stranger", numbered(1, "stranger"));
    const auto scattered = one.fixture().deleteWhere(WeChatDb::tableOf("wxid_alice"), "MesLocalID % 9 = 4");
    const auto range = two.fixture().deleteRange(WeChatDb::tableOf("wxid_bob"), 100, 260);
    for (auto* db : {&mm, &contacts, &one, &two})
        db->close();
    for (const StoredRow& row : scattered)
        alice.erase(alice.find(Seen{dateOf({row.values[3].integer, false, {}}),
                                    row.values[8].integer == 0 ? 1 : 0, row.values[4].bytes}));
    for (const StoredRow& row : range)
        bob.erase(bob.find(Seen{dateOf({row.values[3].integer, false, {}}),
                                row.values[8].integer == 0 ? 1 : 0, row.values[4].bytes}));

    PartnerChatMap chats;
    ASSERT_EQ(decodeWeChat(files(), chats), kStatusOk);
    EXPECT_EQ(liveOf(chats["wxid_alice"]), alice);
    EXPECT_EQ(liveOf(chats["wxid_bob"]), bob);
    EXPECT_EQ(liveOf(chats["张三"]), zhang);
    EXPECT_EQ(chats["张三"].front().contactName, "Zhang San");
    EXPECT_EQ(chats["wxid_alice"].front().contactName, "Alice");
    EXPECT_TRUE(inDateOrder(chats["wxid_alice"]));
    EXPECT_EQ(chats[WeChatDb::tableOf("wxid_stranger")].size(), 1u);

    const std::set<std::string> aliceDeleted = deletedTextsOf(chats["wxid_alice"]);
    for (const std::string& text : textsOf(scattered, 4))
        EXPECT_TRUE(aliceDeleted.count(text)) << text;
    // Freed pages no longer tell their partner: "Unknown", with no live row.
    ASSERT_TRUE(chats.count("Unknown"));
    const std::set<std::string> unknown = deletedTextsOf(chats["Unknown"]);
    const std::set<std::string> bobDeleted = deletedTextsOf(chats["wxid_bob"]);
    expectRangeRecovered(m_temp / "message_2.sqlite", range, 4, bobDeleted, unknown);
    EXPECT_TRUE(liveOf(chats["Unknown"]).empty());
    for (const MessageRecord& m : chats["Unknown"])
        EXPECT_EQ(m.text.find("alice"), std::string::npos) << "a live page's row came back as deleted";
}

TEST_F(WeChatAccountTest, ALoneMmSqliteIsReadAsBefore) {
    WeChatDb mm(m_temp / "MM.sqlite", true);
    mm.addFriend("wxid_alice", "Alice");
    mm.addChatTable("wxid_alice");
    for (int n = 0; n < 3; ++n)
        mm.addMessage("wxid_alice", numbered(10 - n, "alice"));
    mm.close();
    PartnerChatMap chats;
    ASSERT_EQ(decodeWeChat(m_temp / "MM.sqlite", chats), kStatusOk);
    ASSERT_EQ(chats.size(), 1u);
    EXPECT_EQ(chats["wxid_alice"].size(), 3u);
    EXPECT_TRUE(inDateOrder(chats["wxid_alice"]));
    EXPECT_EQ(chats["wxid_alice"][0].address, "wxid_alice");
}

TEST_F(WeChatAccountTest, AMissingMessageFileIsReportedAndTheRestIsRead) {
    WeChatDb mm(m_temp / "MM.sqlite", true);
    mm.addFriend("wxid_alice", "Alice");
    mm.addChatTable("wxid_alice");
    mm.addMessage("wxid_alice", MessengerMessage{});
    mm.close();
    PartnerChatMap chats;
    EXPECT_EQ(decodeWeChat(files(), chats), kStatusDatabaseDamaged); // incomplete, not absent
    EXPECT_EQ(chats["wxid_alice"].size(), 1u);
}

TEST_F(WeChatAccountTest, AMessageDeletedWhileInTheLogStaysWithItsOwnPartner) {
    WeChatDb mm(m_temp / "MM.sqlite", true);
    for (const char* name : {"wxid_alice", "wxid_bob"}) {
        mm.addFriend(name, name);
        mm.addChatTable(name);
    }
    mm.addMessage("wxid_alice", numbered(1, "alice"));
    mm.addMessage("wxid_bob", numbered(2, "bob"));
    test::startWriteAheadLog(mm.fixture());
    const std::int64_t regretted = mm.addMessage("wxid_alice", numbered(3, "alice regretted"));
    mm.fixture().exec("PRAGMA secure_delete=ON"); // only the log's older page keeps it
    mm.fixture().deleteWhere(WeChatDb::tableOf("wxid_alice"), "MesLocalID = " + std::to_string(regretted));
    test::copyWithLog(m_temp / "MM.sqlite", m_temp / "logged.sqlite");
    mm.close();

    PartnerChatMap chats;
    ASSERT_EQ(decodeWeChat(m_temp / "logged.sqlite", chats), kStatusOk);
    const std::string text = numbered(3, "alice regretted").text;
    EXPECT_EQ(deletedTextsOf(chats["wxid_alice"]), std::set<std::string>{text});
    // Every partner table has nine columns: the log's page of one is no other's.
    EXPECT_TRUE(deletedTextsOf(chats["wxid_bob"]).empty());
    EXPECT_FALSE(chats.count(std::string(kUnknownPartner)));
}

// Edge cases of names, dates and order, one table.
struct PartnerCase {
    std::string_view tableName;
    std::string_view partner;
};

TEST(MessengerRulesTest, PartnerIsTheTableNameAfterItsLastUnderscore) {
    const PartnerCase cases[] = {{"tb_c2cMsg_12345", "12345"},
                                 {"tb_c2cMsg_2_987", "987"},
                                 {"tb_c2cMsg_", ""},
                                 {"tb_c2cMsg", "c2cMsg"},
                                 {"c2cMsg12345", "c2cMsg12345"}};
    for (const PartnerCase& c : cases)
        EXPECT_EQ(qqPartnerOf(c.tableName), c.partner) << c.tableName;
}

TEST(MessengerRulesTest, WeChatTableIsTheMd5OfTheUserNamesUtf8Bytes) {
    const PartnerCase cases[] = {
        {"abc", "Chat_900150983cd24fb0d6963f7d28e17f72"},
        {"张三", "Chat_615db57aa314529aaa0fbe95b3e95bd3"}, // not the GBK bytes' digest
        {"", "Chat_d41d8cd98f00b204e9800998ecf8427e"}};
    for (const PartnerCase& c : cases)
        EXPECT_EQ(weChatTableName(c.tableName), c.partner) << c.tableName;
}

TEST(MessengerRulesTest, DatesOutsideUsefulYearsAreEmptyAndOrderIsKeptForTwoMessages) {
    DateTextCache dates;
    struct DateCase {
        std::int64_t seconds;
        std::string_view text;
    };
    const DateCase dateCases[] = {{0, ""},
                                  {-5, ""},
                                  {1577836800, "2020-01-01 00:00:00"}, // no 31-year shift
                                  {4133980799, "2100-12-31 23:59:59"},
                                  {4133980800, ""},
                                  {599529600000, ""}};
    for (const DateCase& c : dateCases)
        EXPECT_EQ(messengerDateText(c.seconds, dates), c.text) << c.seconds;

    struct OrderCase {
        std::vector<std::string> dates;
        std::vector<std::string> expected;
    };
    const OrderCase orderCases[] = {
        {{"2020-01-02 00:00:00", "2020-01-01 00:00:00"}, {"2020-01-02 00:00:00", "2020-01-01 00:00:00"}},
        {{"2020-01-03 00:00:00", "2020-01-01 00:00:00", "2020-01-02 00:00:00"},
         {"2020-01-01 00:00:00", "2020-01-02 00:00:00", "2020-01-03 00:00:00"}},
        {{"2020-01-02 00:00:00"}, {"2020-01-02 00:00:00"}}};
    for (const OrderCase& c : orderCases) {
        std::vector<MessageRecord> messages;
        for (const std::string& date : c.dates)
            messages.push_back(MessageRecord{kLive, 0, 0, 0, date, {}, {}, {}, {}});
        sortConversation(messages);
        std::vector<std::string> got;
        for (const MessageRecord& m : messages)
            got.push_back(m.date);
        EXPECT_EQ(got, c.expected);
    }
}

} // namespace
} // namespace orvelle
