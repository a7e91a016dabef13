#include "support/DeviceDbSms.h"

namespace orvelle::test {

namespace {
constexpr std::int64_t kNanoseconds = 1'000'000'000;
} // namespace

SmsDb::SmsDb(std::filesystem::path path, SmsLayout layout, int pageSize)
    : DeviceDb(std::move(path), smsSchema(layout), pageSize), m_layout(layout) {}

bool SmsDb::nanosecondDates() const {
    return m_layout == SmsLayout::ios13 || m_layout == SmsLayout::ios14;
}

std::int64_t SmsDb::addHandle(std::string_view address, std::string_view service) {
    const std::int64_t rowId = ++m_handles;
    insert("handle", {{"ROWID", SqlValue::of(rowId)},
                      {"id", SqlValue::text(std::string(address))},
                      {"country", SqlValue::text("us")},
                      {"service", SqlValue::text(std::string(service))},
                      {"uncanonicalized_id", SqlValue::text(std::string(address))}});
    return rowId;
}

std::int64_t SmsDb::addMessage(const SmsMessage& m) {
    const std::int64_t rowId = ++m_messages;
    const std::int64_t date = nanosecondDates() ? m.appleSeconds * kNanoseconds : m.appleSeconds;
    NamedValues values{{"ROWID", SqlValue::of(rowId)},
                       {"guid", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(rowId)))},
                       {"text", m.text ? SqlValue::text(*m.text) : SqlValue::null()},
                       {"handle_id", SqlValue::of(m.handleId)},
                       {"service", SqlValue::text(m.service)},
                       {"account", SqlValue::text("p:0")},
                       {"account_guid", SqlValue::text(deviceGuid(7))},
                       {"date", SqlValue::of(date)},
                       {"date_read", SqlValue::of(m.fromMe ? 0 : date)},
                       {"date_delivered", SqlValue::of(m.fromMe ? date : 0)},
                       {"is_delivered", SqlValue::of(1)},
                       {"is_finished", SqlValue::of(1)},
                       {"is_from_me", SqlValue::of(m.fromMe ? 1 : 0)},
                       {"is_read", SqlValue::of(m.fromMe ? 0 : 1)},
                       {"is_sent", SqlValue::of(m.fromMe ? 1 : 0)}};
    const bool archive = m.withAttributedBody.value_or(nanosecondDates());
    if (m.attributedBody)
        values.emplace_back("attributedBody", SqlValue::blob(*m.attributedBody));
    else if (archive && m.text)
        values.emplace_back("attributedBody", SqlValue::blob(attributedBodyArchive(*m.text)));
    insert("message", values);
    return rowId;
}

std::int64_t SmsDb::addAttachment(std::string_view fileName, std::string_view mimeType) {
    const std::int64_t rowId = ++m_attachments;
    const std::string guid = "at_0_" + deviceGuid(static_cast<std::uint64_t>(rowId) + 1000);
    NamedValues values{{"ROWID", SqlValue::of(rowId)},
                       {"guid", SqlValue::text(guid)},
                       {"filename", SqlValue::text(std::string(fileName))},
                       {"mime_type", SqlValue::text(std::string(mimeType))},
                       {"transfer_state", SqlValue::of(5)},
                       {"transfer_name", SqlValue::text(std::string(fileName))}};
    if (m_layout == SmsLayout::ios13 || m_layout == SmsLayout::ios14)
        values.emplace_back("original_guid", SqlValue::text(guid));
    insert("attachment", values);
    return rowId;
}

void SmsDb::attach(std::int64_t messageId, std::int64_t attachmentId) {
    insert("message_attachment_join",
           {{"message_id", SqlValue::of(messageId)}, {"attachment_id", SqlValue::of(attachmentId)}});
}

} // namespace orvelle::test
