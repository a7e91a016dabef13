#pragma once
/// The call history as devices write it: CallHistory.storedata (ZCALLRECORD,
/// Apple times, ZORIGINATED 1 for an outgoing call) or the older
/// call_history.db (`call`, Unix times, `flags` 4 incoming / 5 outgoing).

#include "support/DeviceDb.h"

namespace orvelle::test {

/// One call; a blank one is an answered incoming call of 75 seconds.
struct Call {
    std::string number = "+19198887386";
    double appleSeconds = 599529600.25; ///< 2020-01-01 00:00:00 UTC (and a quarter second)
    double duration = 75;
    bool incoming = true;
};

class CallHistoryDb : public DeviceDb {
public:
    CallHistoryDb(std::filesystem::path path, CallHistoryLayout layout, int pageSize = 4096);
    CallHistoryLayout layout() const { return m_layout; }
    bool isCallRecord() const;
    /// The table the layout keeps calls in.
    std::string table() const { return isCallRecord() ? "ZCALLRECORD" : "call"; }
    std::int64_t addCall(const Call& call);

private:
    CallHistoryLayout m_layout;
    std::int64_t m_calls = 0;
};

} // namespace orvelle::test
