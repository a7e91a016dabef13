#pragma once
/// The chat databases of QQ and WeChat as the apps write them: one message
/// table per conversation partner (QQ: "tb_c2cMsg_<number>", listed in
/// tb_c2cTables; WeChat: "Chat_" + MD5 of the partner's user name), Unix
/// dates, and a friend list (WeChat's Friend, in MM.sqlite or in
/// WCDB_Contact.sqlite). secure_delete is off, as on devices.

#include "support/SqliteFixture.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle::test {

/// One message; a blank one is a received "Hello" of 2020-01-01 00:00:00 UTC.
struct MessengerMessage {
    std::int64_t unixSeconds = 1577836800;
    bool fromMe = false;
    std::string text = "Hello";
};

/// QQ.db: tb_c2cTables (1 column) and one tb_c2cMsg_<n> (50 columns) per partner.
class QqDb {
public:
    explicit QqDb(std::filesystem::path path, int pageSize = 4096);
    /// Creates the partner's table and lists it (`listed` false: the table only).
    void addPartner(std::string_view number, bool listed = true);
    /// Lists a table name without creating the table.
    void listTable(std::string_view tableName);
    /// Adds a message to the partner's table; returns its rowid. The sender is
    /// the partner for a received message, `owner` for a sent one.
    std::int64_t addMessage(std::string_view number, const MessengerMessage& message);
    SqliteFixture& fixture() { return m_fixture; }
    void close() { m_fixture.close(); }

    static std::string tableOf(std::string_view number);
    static constexpr std::string_view kOwner = "10001";

private:
    SqliteFixture m_fixture;
};

/// A WeChat account's database file: MM.sqlite (with the Friend table), a
/// message_<n>.sqlite (message tables only) or WCDB_Contact.sqlite (Friend only).
class WeChatDb {
public:
    WeChatDb(std::filesystem::path path, bool withFriends, int pageSize = 4096);
    /// Adds a friend to this file's Friend table.
    void addFriend(std::string_view userName, std::string_view nickName);
    /// Creates the partner's message table in this file.
    void addChatTable(std::string_view userName);
    /// Adds a message to the partner's table in this file; returns its rowid.
    std::int64_t addMessage(std::string_view userName, const MessengerMessage& message);
    SqliteFixture& fixture() { return m_fixture; }
    void close() { m_fixture.close(); }

    /// "Chat_" + MD5 of the user name's bytes in lower-case hex.
    static std::string tableOf(std::string_view userName);

private:
    SqliteFixture m_fixture;
};

} // namespace orvelle::test
