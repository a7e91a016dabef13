#pragma once
/// Texts shown for sizes, call durations and call states, shared by the
/// result views, the exported documents and the print page.

#include "core/ItemRecords.h"

#include <cstdint>
#include <string>

namespace orvelle {

/// "%.2f TB/GB/MB/KB" from 2^40, 2^30, 2^20 and 1024 bytes, else "%d Bytes".
std::string sizeText(std::int64_t bytes);

/// "%d Hour %d Min" from 3600 seconds, "%d Min %d Sec" from 60, else "%d Sec".
std::string durationText(std::int32_t seconds);

/// "Incoming" or "Outgoing".
std::string callDirectionText(const CallRecord& call);

/// The duration text, or for an unanswered call (duration 0) "Missed" when
/// incoming and "Canceled" when outgoing.
std::string callStatusText(const CallRecord& call);

/// A reminder's Completed cell: the completion date when known, "Yes" when
/// completed without one, empty when open.
std::string reminderCompletedText(const ReminderRecord& reminder);

/// The state of a call alone: "Answered" when it lasted, else "Missed"
/// (incoming) or "Canceled" (outgoing).
std::string callStateText(const CallRecord& call);

} // namespace orvelle
