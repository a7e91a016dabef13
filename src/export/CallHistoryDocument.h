#pragma once
/// The call-history document: one table row of six cells per call (name,
/// number, date, direction, state, duration); a deleted call is marked.

#include "core/ItemRecords.h"

#include <string>

namespace orvelle {

/// "\t<tr>" + six "<td>...</td>" cells + "</tr>\r\n", values escaped (TableRow.h).
std::string callHistoryRow(const CallRecord& call);

} // namespace orvelle
