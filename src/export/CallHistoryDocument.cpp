#include "export/CallHistoryDocument.h"

#include "export/TableRow.h"
#include "scan/DisplayText.h"

namespace orvelle {

std::string callHistoryRow(const CallRecord& call) {
    return tableRow({call.contactName, call.number, call.date, callDirectionText(call), callStateText(call),
                     durationText(call.duration)},
                    call.deleted != kLive);
}

} // namespace orvelle
