#include "sqlite_records/decoders/MessagesDecoder.h"

#include "core/Status.h"
#include "sqlite_records/SqliteFile.h"
#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbSms.h"
#include "support/SqliteFixture.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::SmsDb;
using test::SmsLayout;
using test::SmsMessage;

constexpr std::int64_t kNewYear2020 = 599529600; // 2020-01-01 00:00:00 UTC

std::vector<MessageRecord> flatten(const ConversationMap& conversations) {
    std::vector<MessageRecord> all;
    for (const auto& [key, messages] : conversations)
        for (const auto& m : messages) {
            EXPECT_EQ(m.handleId, key);
            all.push_back(m);
        }
    return all;
}

std::vector<const MessageRecord*> withText(const std::vector<MessageRecord>& all, const std::string& text) {
    std::vector<const MessageRecord*> found;
    for (const auto& m : all)
        if (m.text == text) found.push_back(&m);
    return found;
}

std::string numbered(int i) {
    char text[64];
    std::snprintf(text, sizeof text, "Message number %03d, sent to a friend", i);
    return text;
}

class MessagesDecoderTest : public ::testing::TestWithParam<SmsLayout> {
protected:
    std::filesystem::path sms() const { return m_temp / "sms.db"; }
    std::filesystem::path book() const { return m_temp / "AddressBook.sqlitedb"; }

    void buildAddressBook() {
        test::AddressBookDb db(book(), test::AddressBookLayout::ios15);
        test::Person jane;
        jane.first = "Jane";
        jane.last = "Doe";
        jane.phones = {"(202) 555-0143"};
        db.addPerson(jane);
        db.close();
    }

    std::vector<MessageRecord> decode(const std::filesystem::path& addressBook, Status expected = kStatusOk,
                                      DecodeReport* report = nullptr) {
        ConversationMap conversations;
        std::uint64_t maxRowId = 0;
        EXPECT_EQ(decodeMessages(sms(), addressBook, DecodeContext{}, conversations, maxRowId, report),
                  expected);
        m_maxRowId = maxRowId;
        return flatten(conversations);
    }

    test::TempFolder m_temp;
    std::uint64_t m_maxRowId = 0;
};

TEST_P(MessagesDecoderTest, LiveRowsDecodeFieldByField) {
    SmsDb db(sms(), GetParam());
    const auto phone = db.addHandle("+12025550143");
    const auto mail = db.addHandle("jane@example.com", "iMessage");
    SmsMessage m;
    m.handleId = phone;
    m.text = "On my way";
    m.fromMe = true;
    m.appleSeconds = kNewYear2020 + 7200;
    const auto sent = db.addMessage(m);
    m.text = "Hello there, ünïcödé 👋";
    m.fromMe = false;
    m.appleSeconds = kNewYear2020 + 3600;
    const auto received = db.addMessage(m);
    m.handleId = mail;
    m.text = "Lunch?";
    m.appleSeconds = kNewYear2020;
    db.addMessage(m);
    const auto first = db.addAttachment("IMG_0001.JPG");
    const auto second = db.addAttachment("IMG_0002.JPG");
    db.attach(sent, second);
    db.attach(sent, first);
    db.close();
    buildAddressBook();

    const auto all = decode(book());
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(m_maxRowId, 3u);
    // Conversation 1 in date order, then conversation 2.
    EXPECT_EQ(all[0].text, "Hello there, ünïcödé 👋");
    EXPECT_EQ(all[0].rowId, received);
    EXPECT_EQ(all[0].deleted, kLive);
    EXPECT_EQ(all[0].fromMe, 0);
    EXPECT_EQ(all[0].handleId, phone);
    EXPECT_EQ(all[0].date, "2020-01-01 01:00:00");
    EXPECT_EQ(all[0].address, "+12025550143");
    EXPECT_EQ(all[0].contactName, "Jane Doe");
    EXPECT_EQ(all[0].attachmentName, "");
    EXPECT_EQ(all[1].text, "On my way");
    EXPECT_EQ(all[1].fromMe, 1);
    EXPECT_EQ(all[1].date, "2020-01-01 02:00:00");
    // Two attachments: the first in attachment table order is shown.
    EXPECT_EQ(all[1].attachmentName, "IMG_0001.JPG");
    EXPECT_EQ(all[2].text, "Lunch?");
    EXPECT_EQ(all[2].handleId, mail);
    EXPECT_EQ(all[2].address, "jane@example.com");
    EXPECT_EQ(all[2].contactName, "");
}

void addNumberedMessages(SmsDb& db, int count) {
    const std::int64_t handles[] = {db.addHandle("+12025550143"), db.addHandle("+12025550199")};
    for (int i = 0; i < count; ++i) {
        SmsMessage m;
        m.text = numbered(i);
        m.handleId = handles[i % 2];
        m.fromMe = i % 3 == 0;
        m.appleSeconds = kNewYear2020 + i * 60;
        db.addMessage(m);
    }
}

/// True when `m` holds the fields of message `i` of addNumberedMessages,
/// recovered as deleted.
bool hasNumberedFields(const MessageRecord& m, int i) {
    char date[32];
    std::snprintf(date, sizeof date, "2020-01-01 %02d:%02d:00", i / 60, i % 60);
    return m.deleted == kDeleted && m.handleId == i % 2 + 1 && m.fromMe == (i % 3 == 0 ? 1 : 0) &&
           m.address == (i % 2 ? "+12025550199" : "+12025550143") && m.date == date;
}

TEST_P(MessagesDecoderTest, ADeletedRowComesBackFromItsFreeblock) {
    SmsDb db(sms(), GetParam());
    addNumberedMessages(db, 60);
    db.deleteWhere("message", "ROWID = 4");
    db.close();
    const auto all = decode({});
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const auto& m) { return m.deleted == kLive; }), 59);
    const auto found = withText(all, numbered(3));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(hasNumberedFields(*found[0], 3));
    EXPECT_EQ(found[0]->rowId, 0u); // carved: the rowid went with the cell header
}

TEST_P(MessagesDecoderTest, RowsOfFreedPagesComeBackWithTheirRowids) {
    SmsDb db(sms(), GetParam());
    addNumberedMessages(db, 90);
    // Emptying the table frees every page below the root with its cells.
    db.exec("DELETE FROM message");
    db.close();
    const auto all = decode({});
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const auto& m) { return m.deleted == kLive; }), 0);
    int whole = 0;
    for (int i = 0; i < 90; ++i) {
        const auto found = withText(all, numbered(i));
        // Cells of freed pages keep their rowid and every field; a row whose
        // page was reused in part (a freelist trunk) may come back damaged.
        if (std::any_of(found.begin(), found.end(), [i](auto* m) { return hasNumberedFields(*m, i); }))
            ++whole;
        for (const auto* m : found)
            if (m->rowId != 0) {
                EXPECT_EQ(m->rowId, static_cast<std::uint32_t>(i + 1));
                EXPECT_TRUE(hasNumberedFields(*m, i)) << i;
            }
    }
    EXPECT_GE(whole, 80);
}

TEST_P(MessagesDecoderTest, RowsWithUnusableTextAreLeftOut) {
    SmsDb db(sms(), GetParam());
    db.addHandle("+12025550143");
    const std::vector<std::optional<std::string>> bad{
        std::string("bad \xff\xfe bytes"), std::string("replacement \xEF\xBF\xBD char"),
        std::string("zero \0 inside", 13), std::string(""), std::nullopt};
    for (const auto& text : bad) {
        SmsMessage m;
        m.text = text;
        m.withAttributedBody = false;
        db.addMessage(m);
    }
    SmsMessage good;
    good.text = "still here";
    db.addMessage(good);
    db.close();
    const auto all = decode({});
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].text, "still here");
}

TEST_P(MessagesDecoderTest, TextComesFromAttributedBodyWhenTextIsEmpty) {
    SmsDb db(sms(), GetParam());
    db.addHandle("+12025550143");
    SmsMessage m;
    m.text = std::nullopt;
    m.attributedBody = test::attributedBodyArchive("Only in the archive");
    db.addMessage(m);
    m.text = std::string();
    m.attributedBody = test::attributedBodyArchive("Empty text, archived one");
    db.addMessage(m);
    m.text = std::nullopt;
    m.attributedBody = std::string("not an archive");
    db.addMessage(m);
    db.close();
    const auto all = decode({});
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].text, "Only in the archive");
    EXPECT_EQ(all[1].text, "Empty text, archived one");
}

TEST_P(MessagesDecoderTest, AMissingOrBrokenAddressBookCostsOnlyTheNames) {
    SmsDb db(sms(), GetParam());
    db.addHandle("+12025550143");
    db.addMessage(SmsMessage{});
    db.close();
    test::writeFile(m_temp / "broken.sqlitedb", "this is not a database file at all");

    DecodeReport missing;
    auto all = decode(m_temp / "missing.sqlitedb", kStatusOk, &missing);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].address, "+12025550143");
    EXPECT_EQ(all[0].contactName, "");
    EXPECT_EQ(missing.addressBook, kStatusFileMissing);

    DecodeReport broken;
    all = decode(m_temp / "broken.sqlitedb", kStatusOk, &broken);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(broken.addressBook, kStatusInvalid);

    DecodeReport none;
    EXPECT_EQ(decode({}, kStatusOk, &none).size(), 1u);
    EXPECT_EQ(none.addressBook, kStatusOk);
}

TEST_P(MessagesDecoderTest, ColumnsAreFoundByNameAndCountedFromTheStatement) {
    SmsDb db(sms(), GetParam());
    db.close();
    SqliteFile file;
    ASSERT_EQ(file.open(sms()), kStatusOk);
    const TableColumns columns = messageColumns(file);
    EXPECT_TRUE(columns.fromStatement());
    const std::uint32_t expected[] = {38, 51, 68, 74};
    EXPECT_EQ(columns.columnCount(), expected[static_cast<int>(GetParam())]);
    // text, handle_id, attributedBody, date, is_from_me never moved.
    const TableColumns fixed = fixedMessageColumns();
    for (std::size_t field = 0; field < 5; ++field)
        EXPECT_EQ(columns[field], fixed[field]);
}

INSTANTIATE_TEST_SUITE_P(DeviceLayouts, MessagesDecoderTest,
                         ::testing::Values(SmsLayout::ios7, SmsLayout::columns51, SmsLayout::ios13,
                                           SmsLayout::ios14),
                         [](const auto& info) { return test::layoutName(info.param); });

class MessagesDecoderEdgeTest : public ::testing::Test {
protected:
    test::TempFolder m_temp;
};

TEST_F(MessagesDecoderEdgeTest, DatesOfAOneByteIntegerAndOfTheConstantZero) {
    SmsDb db(m_temp / "sms.db", SmsLayout::ios7);
    db.addHandle("+12025550143");
    SmsMessage m;
    m.appleSeconds = 2; // serial type 1 (1 itself is stored as the constant 1)
    m.text = "two seconds";
    db.addMessage(m);
    m.appleSeconds = 0;
    m.text = "no date";
    db.addMessage(m);
    db.close();
    ConversationMap conversations;
    std::uint64_t maxRowId = 0;
    ASSERT_EQ(decodeMessages(m_temp / "sms.db", {}, DecodeContext{}, conversations, maxRowId), kStatusOk);
    const auto all = flatten(conversations);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].text, "no date");
    EXPECT_EQ(all[0].date, "");
    EXPECT_EQ(all[1].date, "2001-01-01 00:00:02");
}

TEST_F(MessagesDecoderEdgeTest, FixedPositionsDecodeTheOlderLayoutsLikeTheNames) {
    // Without a readable statement the 38/51-column positions and the page
    // reader's count rule stand in; on those layouts they must agree.
    for (const SmsLayout layout : {SmsLayout::ios7, SmsLayout::columns51}) {
        const auto path = m_temp / (test::layoutName(layout) + ".db");
        SmsDb db(path, layout);
        addNumberedMessages(db, 60);
        db.deleteWhere("message", "ROWID IN (4, 20)");
        db.close();
        const auto decodeWith = [&](bool byName) {
            SqliteFile file;
            EXPECT_EQ(file.open(path), kStatusOk);
            std::vector<MessageRecord> rows;
            EXPECT_EQ(decodeMessageRows(file, byName ? messageColumns(file) : fixedMessageColumns(), rows),
                      kStatusOk);
            return rows;
        };
        const auto byName = decodeWith(true);
        const auto fixed = decodeWith(false);
        ASSERT_EQ(byName.size(), fixed.size());
        EXPECT_GE(byName.size(), 60u);
        for (std::size_t i = 0; i < byName.size(); ++i) {
            EXPECT_EQ(byName[i].text, fixed[i].text);
            EXPECT_EQ(byName[i].date, fixed[i].date);
            EXPECT_EQ(byName[i].handleId, fixed[i].handleId);
            EXPECT_EQ(byName[i].fromMe, fixed[i].fromMe);
            EXPECT_EQ(byName[i].deleted, fixed[i].deleted);
        }
    }
}

TEST_F(MessagesDecoderEdgeTest, FailuresAndStops) {
    ConversationMap conversations;
    std::uint64_t maxRowId = 0;
    EXPECT_EQ(decodeMessages(m_temp / "none.db", {}, DecodeContext{}, conversations, maxRowId),
              kStatusFileMissing);
    test::writeFile(m_temp / "text.db", "plain text, no database here");
    EXPECT_EQ(decodeMessages(m_temp / "text.db", {}, DecodeContext{}, conversations, maxRowId),
              kStatusInvalid);

    SmsDb db(m_temp / "sms.db", SmsLayout::ios13);
    db.addHandle("+12025550143");
    db.addMessage(SmsMessage{});
    db.close();
    DecodeContext stop;
    stop.progress = [](int percent) { return percent >= 30 ? kStatusStopped : 0; };
    EXPECT_EQ(decodeMessages(m_temp / "sms.db", {}, stop, conversations, maxRowId), kStatusStopped);
    EXPECT_TRUE(conversations.empty());
}

// A damaged message table is reported, never taken for an empty one; the rows
// of its readable pages still come back.
TEST_F(MessagesDecoderEdgeTest, ADamagedOrMissingMessageTableIsReported) {
    const auto path = m_temp / "sms.db";
    {
        SmsDb db(path, SmsLayout::ios13);
        addNumberedMessages(db, 200);
        db.close();
    }
    std::vector<std::uint32_t> leaves;
    std::uint32_t pageSize = 0;
    {
        SqliteFile file;
        ASSERT_EQ(file.open(path), kStatusOk);
        pageSize = file.pageSize();
        ChildPageMap roots;
        ASSERT_EQ(file.findTableRoots("message", roots), kStatusOk);
        std::vector<std::uint8_t> root;
        ASSERT_EQ(file.readPage(roots.begin()->first, root), kStatusOk);
        CellOffsetMap cells;
        ASSERT_EQ(file.collectLeafCells(root, roots.begin()->first, cells), kStatusOk);
        for (const auto& [leaf, offsets] : cells)
            leaves.push_back(leaf);
    }
    ASSERT_GE(leaves.size(), 3u) << "the table must span several pages";
    std::string bytes = test::readFile(path);
    bytes[std::size_t{leaves[1]} * pageSize] = 0x77; // no page type
    test::writeFile(path, bytes);

    ConversationMap conversations;
    std::uint64_t maxRowId = 0;
    EXPECT_EQ(decodeMessages(path, {}, DecodeContext{}, conversations, maxRowId), kStatusDatabaseDamaged);
    const auto all = flatten(conversations);
    const auto live = std::count_if(all.begin(), all.end(), [](const auto& m) { return m.deleted == kLive; });
    EXPECT_GT(live, 0);
    EXPECT_LT(live, 200);
    for (const auto& m : all)
        if (m.deleted == kLive) EXPECT_EQ(m.text.rfind("Message number ", 0), 0u) << m.text;

    // A database without the message table is not the messages database.
    test::SqliteFixture other(m_temp / "other.db");
    other.exec("CREATE TABLE handle (ROWID INTEGER PRIMARY KEY, id TEXT)");
    other.exec("INSERT INTO handle (id) VALUES ('+12025550143')");
    other.close();
    EXPECT_EQ(decodeMessages(m_temp / "other.db", {}, DecodeContext{}, conversations, maxRowId),
              kStatusTableMissing);
    EXPECT_TRUE(conversations.empty());
}

TEST_F(MessagesDecoderEdgeTest, ExportWritesEveryRowAndPreparesDeletedOnes) {
    SmsDb db(m_temp / "sms.db", SmsLayout::ios7);
    db.addHandle("+12025550143");
    for (int i = 0; i < 12; ++i) {
        SmsMessage m;
        m.text = numbered(i) + " \"quoted\" it's";
        db.addMessage(m);
    }
    db.deleteWhere("message", "ROWID = 5");
    db.close();
    std::uint64_t maxRowId = 20000;
    const auto out = m_temp / "sms.csv";
    ASSERT_EQ(exportMessageRows(m_temp / "sms.db", out, maxRowId), kStatusOk);
    const std::string text = test::readFile(out);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    ASSERT_GE(lines.size(), 13u);
    // The header names the columns and the readable date added at the end.
    EXPECT_EQ(lines[0].substr(0, 15), "ROWID,guid,text");
    EXPECT_EQ(lines[0].substr(lines[0].size() - 18), ",date (local time)");
    const std::size_t columns = std::count(lines[0].begin(), lines[0].end(), ',');
    lines.erase(lines.begin());
    EXPECT_EQ(lines[0].substr(0, 2), "1,");
    EXPECT_NE(lines[0].find("\"Message number 000, sent to a friend \"\"quoted\"\" it''s\""),
              std::string::npos);
    // The deleted row: numbered after the mark, a fresh guid.
    const auto deleted = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("number 004") != std::string::npos;
    });
    ASSERT_NE(deleted, lines.end());
    EXPECT_EQ(deleted->substr(0, 6), "20001,");
    EXPECT_NE(deleted->find("\"27B99F78-F6F0-475F-8BA1-000000004E21\""), std::string::npos);
    // It keeps its own date, which ends the line as local time (as the live rows do).
    const auto fifth = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("number 005") != std::string::npos;
    });
    ASSERT_NE(fifth, lines.end());
    const std::string deletedDate = deleted->substr(deleted->rfind(",\"") + 1);
    EXPECT_EQ(deletedDate.size(), 21u) << *deleted;
    EXPECT_LE(deletedDate, fifth->substr(fifth->rfind(",\"") + 1)) << "dated before the next message, not today";
    for (const std::string& line : lines) {
        std::size_t quoted = 0, commas = 0;
        for (const char c : line) {
            if (c == '"') ++quoted;
            if (c == ',' && quoted % 2 == 0) ++commas;
        }
        EXPECT_EQ(commas, columns) << line;
    }
    EXPECT_EQ(maxRowId, 20000u + (lines.size() - 11));
}

} // namespace
} // namespace orvelle
