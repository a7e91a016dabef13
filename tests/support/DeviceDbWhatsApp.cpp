#include "support/DeviceDbWhatsApp.h"

#include <cmath>

namespace orvelle::test {

namespace {
SqlValue keyOrNull(std::int64_t key) {
    return key ? SqlValue::of(key) : SqlValue::null();
}
/// A Core Data date: an integer when whole (SQLite keeps it so in a TIMESTAMP column).
SqlValue coreDataDate(double seconds) {
    return std::floor(seconds) == seconds ? SqlValue::of(static_cast<std::int64_t>(seconds))
                                          : SqlValue::ofReal(seconds);
}
} // namespace

WhatsAppDb::WhatsAppDb(std::filesystem::path path, WhatsAppLayout layout, int pageSize)
    : DeviceDb(std::move(path), whatsAppSchema(layout), pageSize), m_layout(layout) {}

std::int64_t WhatsAppDb::addChat(std::string_view jid, std::string_view name) {
    const std::int64_t key = ++m_chats;
    const bool group = jid.find("@g.us") != std::string_view::npos;
    insert("ZWACHATSESSION", {{"Z_PK", SqlValue::of(key)},
                              {"Z_ENT", SqlValue::of(3)},
                              {"Z_OPT", SqlValue::of(5)},
                              {"ZARCHIVED", SqlValue::of(0)},
                              {"ZHIDDEN", SqlValue::of(0)},
                              {"ZMESSAGECOUNTER", SqlValue::of(0)},
                              {"ZREMOVED", SqlValue::of(0)},
                              {"ZSESSIONTYPE", SqlValue::of(group ? 1 : 0)},
                              {"ZUNREADCOUNT", SqlValue::of(0)},
                              {"ZCONTACTJID", SqlValue::text(std::string(jid))},
                              {"ZPARTNERNAME", SqlValue::text(std::string(name))}});
    return key;
}

std::int64_t WhatsAppDb::addMember(std::int64_t chat, std::string_view jid, std::string_view contactName) {
    const std::int64_t key = ++m_members;
    insert(
        "ZWAGROUPMEMBER",
        {{"Z_PK", SqlValue::of(key)},
         {"Z_ENT", SqlValue::of(5)},
         {"Z_OPT", SqlValue::of(1)},
         {"ZISACTIVE", SqlValue::of(1)},
         {"ZISADMIN", SqlValue::of(0)},
         {"ZCHATSESSION", SqlValue::of(chat)},
         {"ZCONTACTNAME", contactName.empty() ? SqlValue::null() : SqlValue::text(std::string(contactName))},
         {"ZMEMBERJID", SqlValue::text(std::string(jid))}});
    return key;
}

std::int64_t WhatsAppDb::addMedia(std::string_view localPath) {
    const std::int64_t key = ++m_media;
    insert("ZWAMEDIAITEM", {{"Z_PK", SqlValue::of(key)},
                            {"Z_ENT", SqlValue::of(9)},
                            {"Z_OPT", SqlValue::of(2)},
                            {"ZFILESIZE", SqlValue::of(123456)},
                            {"ZMEDIALOCALPATH", SqlValue::text(std::string(localPath))}});
    return key;
}

std::int64_t WhatsAppDb::addMessage(const WhatsAppMessage& m) {
    const std::int64_t key = ++m_messages;
    NamedValues values{
        {"Z_PK", SqlValue::of(key)},
        {"Z_ENT", SqlValue::of(10)},
        {"Z_OPT", SqlValue::of(3)},
        {"ZFLAGS", SqlValue::of(0)},
        {"ZISFROMME", SqlValue::of(m.fromMe ? 1 : 0)},
        {"ZMESSAGESTATUS", SqlValue::of(m.fromMe ? 8 : 0)},
        {"ZMESSAGETYPE", SqlValue::of(m.media ? 1 : 0)},
        {"ZSORT", SqlValue::of(key)},
        {"ZCHATSESSION", SqlValue::of(m.chat)},
        {"ZGROUPMEMBER", keyOrNull(m.member)},
        {"ZMEDIAITEM", keyOrNull(m.media)},
        {"ZMESSAGEDATE", coreDataDate(m.appleSeconds)},
        {"ZSENTDATE", coreDataDate(m.appleSeconds)},
        {"ZSTANZAID", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(key) + 700).substr(0, 20))},
        {"ZTEXT", m.text ? SqlValue::text(*m.text) : SqlValue::null()}};
    if (m_layout == WhatsAppLayout::ios15) values.emplace_back("ZDOCID", SqlValue::of(key));
    insert("ZWAMESSAGE", values);
    if (m.media)
        exec("UPDATE ZWAMEDIAITEM SET ZMESSAGE = " + std::to_string(key) +
             " WHERE Z_PK = " + std::to_string(m.media));
    return key;
}

} // namespace orvelle::test
