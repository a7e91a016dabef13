#pragma once
/// The call-history document: one table row of five cells per call (name,
/// number, date, direction, state or duration).

#include "core/ItemRecords.h"

#include <string>

namespace orvelle {

/// "\t<tr>" + five "<td>...</td>" cells + "</tr>\r\n", values escaped.
std::string callHistoryRow(const CallRecord& call);

} // namespace orvelle
