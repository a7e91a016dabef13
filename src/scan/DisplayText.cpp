#include "scan/DisplayText.h"

#include <cstdio>

namespace orvelle {

std::string sizeText(std::int64_t bytes) {
    struct Unit {
        std::int64_t from;
        const char* suffix;
    };
    static constexpr Unit kUnits[] = {{std::int64_t{1} << 40, " TB"},
                                      {std::int64_t{1} << 30, " GB"},
                                      {std::int64_t{1} << 20, " MB"},
                                      {1024, " KB"}};
    char buf[64];
    for (const Unit& unit : kUnits) {
        if (bytes >= unit.from) {
            std::snprintf(buf, sizeof buf, "%.2f%s",
                          static_cast<double>(bytes) / static_cast<double>(unit.from), unit.suffix);
            return buf;
        }
    }
    std::snprintf(buf, sizeof buf, "%lld Bytes", static_cast<long long>(bytes));
    return buf;
}

std::string durationText(std::int32_t seconds) {
    char buf[64];
    if (seconds >= 3600)
        std::snprintf(buf, sizeof buf, "%d Hour %d Min", seconds / 3600, (seconds % 3600) / 60);
    else if (seconds >= 60)
        std::snprintf(buf, sizeof buf, "%d Min %d Sec", seconds / 60, seconds % 60);
    else
        std::snprintf(buf, sizeof buf, "%d Sec", seconds);
    return buf;
}

std::string callDirectionText(const CallRecord& call) {
    return call.incoming != 0 ? "Incoming" : "Outgoing";
}

std::string callStatusText(const CallRecord& call) {
    if (call.duration == 0) return callStateText(call);
    return durationText(call.duration);
}

std::string reminderCompletedText(const ReminderRecord& reminder) {
    if (!reminder.completed) return {};
    return reminder.completedDate.empty() ? std::string("Yes") : reminder.completedDate;
}

std::string callStateText(const CallRecord& call) {
    if (call.duration != 0) return "Answered";
    return call.incoming != 0 ? "Missed" : "Canceled";
}

} // namespace orvelle
