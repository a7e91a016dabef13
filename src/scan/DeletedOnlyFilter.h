#pragma once
/// The deleted-only switch of the result lists: while it is on for a
/// database category (Messages, Contacts, Call History, Notes, WhatsApp,
/// Reminder, Calendar, Safari Bookmark),
/// its live records are hidden in the tally, so that export and the
/// statistics leave them out. For chats "live" means a chat without any
/// deleted message.

#include "core/Categories.h"

#include <cstdint>

namespace orvelle {

struct ScanResults;
class SelectionTally;

/// The filter identity under which the switch hides records.
const void* deletedOnlyFilter();

/// Turns the switch of `kind` on (hide the live records) or off (show them
/// again). Returns how many records of the category the filter hides now
/// ("Files Filtered"). Kinds without a deleted flag are left alone (0).
std::uint32_t setDeletedOnly(ItemKind kind, bool on, const ScanResults& results, SelectionTally& tally);

} // namespace orvelle
