#include "support/DeviceDbCalls.h"

#include <cmath>

namespace orvelle::test {

namespace {
constexpr std::int64_t kAppleEpochOffset = 978307200;
constexpr std::int64_t kIncomingFlags = 4;
constexpr std::int64_t kOutgoingFlags = 5;
} // namespace

CallHistoryDb::CallHistoryDb(std::filesystem::path path, CallHistoryLayout layout, int pageSize)
    : DeviceDb(std::move(path), callHistorySchema(layout), pageSize), m_layout(layout) {}

bool CallHistoryDb::isCallRecord() const {
    return m_layout == CallHistoryLayout::callRecordClassic || m_layout == CallHistoryLayout::callRecordIos17;
}

std::int64_t CallHistoryDb::addCall(const Call& call) {
    const std::int64_t rowId = ++m_calls;
    if (!isCallRecord()) {
        NamedValues values{
            {"ROWID", SqlValue::of(rowId)},
            {"address", SqlValue::text(call.number)},
            {"date", SqlValue::of(static_cast<std::int64_t>(call.appleSeconds) + kAppleEpochOffset)},
            {"duration", SqlValue::of(static_cast<std::int64_t>(call.duration))},
            {"flags", SqlValue::of(call.incoming ? kIncomingFlags : kOutgoingFlags)},
            {"id", SqlValue::of(-1)},
            {"country_code", SqlValue::text("310")}};
        if (m_layout == CallHistoryLayout::callIos7) {
            values.emplace_back("network_code", SqlValue::text("410"));
            values.emplace_back("read", SqlValue::of(1));
            values.emplace_back("assisted", SqlValue::of(0));
            values.emplace_back("answered", SqlValue::of(call.duration > 0 ? 1 : 0));
        }
        insert("call", values);
        return rowId;
    }
    insert("ZCALLRECORD",
           {{"Z_PK", SqlValue::of(rowId)},
            {"Z_ENT", SqlValue::of(2)},
            {"Z_OPT", SqlValue::of(1)},
            {"ZANSWERED", SqlValue::of(call.duration > 0 ? 1 : 0)},
            {"ZCALL_CATEGORY", SqlValue::of(1)},
            {"ZCALLTYPE", SqlValue::of(1)},
            {"ZDISCONNECTED_CAUSE", SqlValue::of(0)},
            {"ZFACE_TIME_DATA", SqlValue::null()},
            {"ZHANDLE_TYPE", SqlValue::of(2)},
            {"ZNUMBER_AVAILABILITY", SqlValue::of(0)},
            {"ZORIGINATED", SqlValue::of(call.incoming ? 0 : 1)},
            {"ZREAD", SqlValue::of(1)},
            {"ZDATE", SqlValue::ofReal(call.appleSeconds)},
            {"ZDURATION", SqlValue::ofReal(call.duration)},
            {"ZISO_COUNTRY_CODE", SqlValue::text("us")},
            {"ZNAME", SqlValue::text("")},
            {"ZSERVICE_PROVIDER", SqlValue::text("com.apple.Telephony")},
            {"ZUNIQUE_ID", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(rowId) + 900))},
            {"ZADDRESS", SqlValue::text(call.number)}});
    return rowId;
}

} // namespace orvelle::test
