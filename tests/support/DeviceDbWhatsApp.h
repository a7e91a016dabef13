#pragma once
/// WhatsApp's ChatStorage.sqlite as the app writes it: chat sessions, group
/// members, media items and messages (Core Data tables, Z_PK keys, Apple times).

#include "support/DeviceDb.h"

#include <optional>

namespace orvelle::test {

/// One message; a blank one is an incoming text "Hi" on 2020-01-01.
struct WhatsAppMessage {
    std::int64_t chat = 1;
    std::int64_t member = 0; ///< ZGROUPMEMBER; 0 = NULL
    std::int64_t media = 0;  ///< ZMEDIAITEM; 0 = NULL
    bool fromMe = false;
    std::optional<std::string> text = std::string("Hi");
    double appleSeconds = 599529600; ///< stored as an integer when whole, as devices do
};

class WhatsAppDb : public DeviceDb {
public:
    WhatsAppDb(std::filesystem::path path, WhatsAppLayout layout, int pageSize = 4096);

    /// A chat with a partner JID ("19198887386@s.whatsapp.net") or a group
    /// ("120363023356659014@g.us") and its name or subject.
    std::int64_t addChat(std::string_view jid, std::string_view name);
    std::int64_t addMember(std::int64_t chat, std::string_view jid, std::string_view contactName);
    std::int64_t addMedia(std::string_view localPath);
    std::int64_t addMessage(const WhatsAppMessage& message);

private:
    WhatsAppLayout m_layout;
    std::int64_t m_chats = 0, m_members = 0, m_media = 0, m_messages = 0;
};

} // namespace orvelle::test
