#include "sqlite_records/decoders/WhatsAppDecoder.h"

#include "sqlite_records/SqliteFile.h"
#include "support/DeviceDbWhatsApp.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::WhatsAppDb;
using test::WhatsAppLayout;
using test::WhatsAppMessage;

class WhatsAppDecoderTest : public ::testing::TestWithParam<WhatsAppLayout> {
protected:
    std::filesystem::path chats() const { return m_temp / "ChatStorage.sqlite"; }
    WhatsAppChatMap decode() {
        WhatsAppChatMap out;
        EXPECT_EQ(decodeWhatsApp(chats(), out), kStatusOk);
        return out;
    }
    test::TempFolder m_temp;
};

TEST_P(WhatsAppDecoderTest, ChatsGroupsMembersAndMediaDecodeFieldByField) {
    WhatsAppDb db(chats(), GetParam());
    const auto partner = db.addChat("19198887386@s.whatsapp.net", "This Is DFIR Two");
    const auto group = db.addChat("120363023356659014@g.us", "Our Test Group");
    const auto alice = db.addMember(group, "19195794674@s.whatsapp.net", "Alice");
    const auto bob = db.addMember(group, "205690463334636@lid", "Bob");
    db.addMember(group, "19195550000@s.whatsapp.net", "");
    const auto photo = db.addMedia("Media/19198887386@s.whatsapp.net/d/0/photo.jpg");
    const auto preview = db.addMedia("");

    WhatsAppMessage m;
    m.chat = partner;
    m.text = "I'm here!";
    m.fromMe = true;
    m.appleSeconds = 599529600.5; // a float date, truncated
    db.addMessage(m);
    m.text = "Awesome 😀";
    m.fromMe = false;
    m.appleSeconds = 599529660;
    db.addMessage(m);
    m.text = std::nullopt;
    m.media = photo;
    m.appleSeconds = 599529720;
    db.addMessage(m);
    m.text = "a link with a preview";
    m.media = preview;
    m.appleSeconds = 599529780;
    db.addMessage(m);
    WhatsAppMessage g;
    g.chat = group;
    g.member = bob;
    g.text = "Hello group";
    db.addMessage(g);
    g.member = alice; // the first member row: key 1
    g.text = "Alice here";
    g.appleSeconds = 599529602;
    db.addMessage(g);
    g.member = 0;
    g.fromMe = true;
    g.text = "From me to the group";
    g.appleSeconds = 599529601;
    db.addMessage(g);
    db.close();

    const auto out = decode();
    ASSERT_EQ(out.size(), 2u);
    const auto& direct = out.at(static_cast<std::int32_t>(partner));
    ASSERT_EQ(direct.size(), 4u);
    EXPECT_EQ(direct[0].text, "I'm here!");
    EXPECT_EQ(direct[0].fromMe, 1);
    EXPECT_EQ(direct[0].senderName, "Me");
    EXPECT_EQ(direct[0].senderId, "");
    EXPECT_EQ(direct[0].date, "2020-01-01 00:00:00");
    EXPECT_EQ(direct[0].rowId, 1u);
    EXPECT_EQ(direct[0].deleted, kLive);
    EXPECT_EQ(direct[0].chatTitle, "This Is DFIR Two");
    EXPECT_EQ(direct[0].chatIds, "19198887386");
    EXPECT_EQ(direct[0].chatNames, "This Is DFIR Two");
    EXPECT_EQ(direct[1].text, "Awesome 😀");
    EXPECT_EQ(direct[1].senderName, "This Is DFIR Two");
    EXPECT_EQ(direct[1].senderId, "19198887386");
    EXPECT_EQ(direct[2].text, "Media/19198887386@s.whatsapp.net/d/0/photo.jpg");
    EXPECT_EQ(direct[2].mediaKey, photo);
    EXPECT_EQ(direct[3].text, "a link with a preview"); // its media item has no path

    const auto& grouped = out.at(static_cast<std::int32_t>(group));
    ASSERT_EQ(grouped.size(), 3u);
    EXPECT_EQ(alice, 1);
    EXPECT_EQ(grouped[0].text, "Hello group");
    EXPECT_EQ(grouped[0].senderName, "Bob");
    EXPECT_EQ(grouped[0].senderId, "205690463334636");
    EXPECT_EQ(grouped[0].chatTitle, "Our Test Group");
    EXPECT_EQ(grouped[0].chatIds, "19195794674,205690463334636,19195550000");
    EXPECT_EQ(grouped[0].chatNames, "Alice,Bob");
    EXPECT_EQ(grouped[1].senderName, "Me");
    EXPECT_EQ(grouped[2].text, "Alice here");
    EXPECT_EQ(grouped[2].senderName, "Alice");
    EXPECT_EQ(grouped[2].senderId, "19195794674");
    EXPECT_EQ(grouped[2].memberKey, alice);
}

TEST_P(WhatsAppDecoderTest, DeletedMessagesComeBack) {
    WhatsAppDb db(chats(), GetParam());
    const auto chat = db.addChat("19198887386@s.whatsapp.net", "Partner");
    for (int i = 0; i < 40; ++i) {
        WhatsAppMessage m;
        m.chat = chat;
        m.text = "WhatsApp message " + std::to_string(i);
        m.appleSeconds = 599529600 + i * 60;
        db.addMessage(m);
    }
    db.deleteWhere("ZWAMESSAGE", "Z_PK = 28");
    db.close();
    const auto out = decode();
    const auto& messages = out.at(static_cast<std::int32_t>(chat));
    EXPECT_EQ(
        std::count_if(messages.begin(), messages.end(), [](const auto& m) { return m.deleted == kLive; }),
        39);
    const auto found = std::find_if(messages.begin(), messages.end(),
                                    [](const auto& m) { return m.text == "WhatsApp message 27"; });
    ASSERT_NE(found, messages.end());
    EXPECT_EQ(found->deleted, kDeleted);
    EXPECT_EQ(found->date, "2020-01-01 00:27:00");
    EXPECT_EQ(found->senderName, "Partner");
}

TEST_P(WhatsAppDecoderTest, MessagesOfFreedPagesComeBackAndBadTextsAreLeftOut) {
    WhatsAppDb db(chats(), GetParam());
    const auto chat = db.addChat("19198887386@s.whatsapp.net", "Partner");
    for (int i = 0; i < 150; ++i) {
        WhatsAppMessage m;
        m.chat = chat;
        m.text = "WhatsApp message " + std::to_string(i);
        m.appleSeconds = 599529600 + i * 60;
        db.addMessage(m);
    }
    db.exec("DELETE FROM ZWAMESSAGE");
    WhatsAppMessage bad;
    bad.chat = chat;
    bad.text = std::string("bad \xff text");
    db.addMessage(bad);
    bad.text = std::string("bad \xEF\xBF\xBD text");
    db.addMessage(bad);
    db.close();
    const auto out = decode();
    const auto& messages = out.at(static_cast<std::int32_t>(chat));
    int recovered = 0;
    for (int i = 0; i < 150; ++i)
        recovered += std::any_of(messages.begin(), messages.end(), [&](const auto& m) {
            return m.deleted == kDeleted && m.text == "WhatsApp message " + std::to_string(i) &&
                   m.senderName == "Partner";
        });
    EXPECT_GE(recovered, 120);
    EXPECT_EQ(
        std::count_if(messages.begin(), messages.end(), [](const auto& m) { return m.deleted == kLive; }), 0);
}

TEST_P(WhatsAppDecoderTest, ColumnsAreFoundByName) {
    WhatsAppDb db(chats(), GetParam());
    db.close();
    SqliteFile file;
    ASSERT_EQ(file.open(chats()), kStatusOk);
    const bool wide = GetParam() == WhatsAppLayout::ios15;
    const TableColumns message = whatsAppMessageColumns(file, wide ? 34 : 28);
    EXPECT_EQ(message.columnCount(), wide ? 34u : 28u);
    EXPECT_EQ(message[5], wide ? 32 : 26); // ZTEXT
    const TableColumns member = whatsAppMemberColumns(file);
    EXPECT_EQ(member[1], 12);                     // ZMEMBERJID
    EXPECT_EQ(member[2], 10);                     // ZCONTACTNAME
    EXPECT_EQ(whatsAppMediaColumns(file)[0], 15); // ZMEDIALOCALPATH
    EXPECT_EQ(whatsAppChatColumns(file)[0], 20);  // ZCONTACTJID
}

INSTANTIATE_TEST_SUITE_P(DeviceLayouts, WhatsAppDecoderTest,
                         ::testing::Values(WhatsAppLayout::columns28, WhatsAppLayout::ios15),
                         [](const auto& info) { return test::layoutName(info.param); });

TEST(WhatsAppDecoderFailureTest, MissingFilesAndDatabasesWithoutMessages) {
    test::TempFolder temp;
    WhatsAppChatMap out;
    EXPECT_EQ(decodeWhatsApp(temp / "none.sqlite", out), kStatusFileMissing);
    test::writeFile(temp / "x.sqlite", std::string(4096, 'x'));
    EXPECT_EQ(decodeWhatsApp(temp / "x.sqlite", out), kStatusSqliteQueryFailed);
    test::DeviceDb other(temp / "other.sqlite", {"CREATE TABLE t(a)"});
    other.close();
    EXPECT_EQ(decodeWhatsApp(temp / "other.sqlite", out), kStatusSqliteQueryFailed);
    EXPECT_TRUE(out.empty());
}

TEST(WhatsAppJidTest, ThePartBeforeTheAtSign) {
    EXPECT_EQ(jidUser("19198887386@s.whatsapp.net"), "19198887386");
    EXPECT_EQ(jidUser("no at sign"), "");
    EXPECT_EQ(jidUser("@g.us"), "");
}

} // namespace
} // namespace orvelle
