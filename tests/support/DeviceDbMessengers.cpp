#include "support/DeviceDbMessengers.h"

#include "core/Text.h"

#include <openssl/evp.h>
#include <stdexcept>

namespace orvelle::test {

namespace {

/// The 50 columns of a QQ message table: the fields read (sender, time,
/// flag, content) and the app's many bookkeeping columns.
std::string qqMessageTableSql(std::string_view table) {
    std::string sql = "CREATE TABLE " + std::string(table) +
                      " (uin INTEGER, senderuin TEXT, time INTEGER, msgId INTEGER, flag INTEGER, "
                      "msgType INTEGER, content TEXT";
    for (int i = 7; i < 50; ++i)
        sql += ", reserved" + std::to_string(i) + " INTEGER DEFAULT 0";
    return sql + ")";
}

constexpr std::string_view kFriendTableSql =
    "CREATE TABLE Friend (FriendID INTEGER PRIMARY KEY, UsrName TEXT, NickName TEXT, Uin INTEGER DEFAULT 0, "
    "Email TEXT, Mobile TEXT, Type INTEGER DEFAULT 0, Remark TEXT, ConRemark TEXT, ImgStatus INTEGER DEFAULT "
    "0, "
    "CertificationFlag INTEGER DEFAULT 0, EncodeUserName TEXT, ExtFlag INTEGER DEFAULT 0)";

std::string weChatChatTableSql(std::string_view table) {
    return "CREATE TABLE " + std::string(table) +
           " (MesLocalID INTEGER PRIMARY KEY AUTOINCREMENT, MesSvrID INTEGER DEFAULT 0, TableVer INTEGER "
           "DEFAULT 1, CreateTime INTEGER DEFAULT 0, Message TEXT, Status INTEGER DEFAULT 0, ImgStatus "
           "INTEGER "
           "DEFAULT 0, Type INTEGER DEFAULT 1, Des INTEGER)";
}

SqlValue text(std::string_view value) {
    return SqlValue::text(std::string(value));
}

} // namespace

QqDb::QqDb(std::filesystem::path path, int pageSize)
    : m_fixture(std::move(path), SqliteFixture::Options{pageSize, 0, false}) {
    m_fixture.exec("CREATE TABLE tb_c2cTables (tableName TEXT)");
}

std::string QqDb::tableOf(std::string_view number) {
    return "tb_c2cMsg_" + std::string(number);
}

void QqDb::addPartner(std::string_view number, bool listed) {
    m_fixture.exec(qqMessageTableSql(tableOf(number)));
    if (listed) listTable(tableOf(number));
}

void QqDb::listTable(std::string_view tableName) {
    m_fixture.insert("tb_c2cTables", {text(tableName)});
}

std::int64_t QqDb::addMessage(std::string_view number, const MessengerMessage& message) {
    SqlRow row{SqlValue::of(std::stoll(std::string(kOwner))),
               text(message.fromMe ? kOwner : number),
               SqlValue::of(message.unixSeconds),
               SqlValue::of(static_cast<std::int64_t>(message.unixSeconds % 100000)),
               SqlValue::of(message.fromMe ? 0 : 1),
               SqlValue::of(0),
               text(message.text)};
    for (int i = 7; i < 50; ++i)
        row.push_back(SqlValue::of(0));
    return m_fixture.insert(tableOf(number), row);
}

WeChatDb::WeChatDb(std::filesystem::path path, bool withFriends, int pageSize)
    : m_fixture(std::move(path), SqliteFixture::Options{pageSize, 0, false}) {
    if (withFriends) m_fixture.exec(kFriendTableSql);
}

std::string WeChatDb::tableOf(std::string_view userName) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(userName.data(), userName.size(), digest, &length, EVP_md5(), nullptr) != 1)
        throw std::runtime_error("MD5 failed");
    return "Chat_" + toHex(std::string_view(reinterpret_cast<const char*>(digest), length));
}

void WeChatDb::addFriend(std::string_view userName, std::string_view nickName) {
    m_fixture.insert("Friend",
                     {SqlValue::null(), text(userName), text(nickName), SqlValue::of(0), SqlValue::null(),
                      SqlValue::null(), SqlValue::of(1), SqlValue::null(), SqlValue::null(), SqlValue::of(0),
                      SqlValue::of(0), text(userName), SqlValue::of(0)});
}

void WeChatDb::addChatTable(std::string_view userName) {
    m_fixture.exec(weChatChatTableSql(tableOf(userName)));
}

std::int64_t WeChatDb::addMessage(std::string_view userName, const MessengerMessage& message) {
    return m_fixture.insert(tableOf(userName),
                            {SqlValue::null(), SqlValue::of(message.unixSeconds * 7 + 12345), SqlValue::of(1),
                             SqlValue::of(message.unixSeconds), text(message.text), SqlValue::of(2),
                             SqlValue::of(0), SqlValue::of(1), SqlValue::of(message.fromMe ? 0 : 1)});
}

} // namespace orvelle::test
