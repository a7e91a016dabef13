#pragma once
/// sms.db as devices write it: handles, messages, attachments and their joins.

#include "support/DeviceDb.h"

#include <optional>

namespace orvelle::test {

/// One message; a blank one is an incoming SMS "Hello" on 2020-01-01.
struct SmsMessage {
    std::optional<std::string> text = std::string("Hello");
    std::int64_t handleId = 1;
    /// Seconds since 2001-01-01 (stored in nanoseconds by the layouts that do).
    std::int64_t appleSeconds = 599529600; // 2020-01-01 00:00:00 UTC
    bool fromMe = false;
    /// The archived text in attributedBody: recent layouts store one for every
    /// text message unless this says otherwise.
    std::optional<bool> withAttributedBody;
    /// attributedBody bytes to store instead of the archive of `text`.
    std::optional<std::string> attributedBody;
    std::string service = "SMS";
};

class SmsDb : public DeviceDb {
public:
    SmsDb(std::filesystem::path path, SmsLayout layout, int pageSize = 4096);

    SmsLayout layout() const { return m_layout; }
    /// True when the layout counts dates in nanoseconds.
    bool nanosecondDates() const;

    /// A handle (the other party); returns its ROWID.
    std::int64_t addHandle(std::string_view address, std::string_view service = "SMS");
    std::int64_t addMessage(const SmsMessage& message);
    std::int64_t addAttachment(std::string_view fileName, std::string_view mimeType = "image/jpeg");
    void attach(std::int64_t messageId, std::int64_t attachmentId);

private:
    SmsLayout m_layout;
    std::int64_t m_handles = 0;
    std::int64_t m_messages = 0;
    std::int64_t m_attachments = 0;
};

} // namespace orvelle::test
