#pragma once
/// The backup date of Info.plist ("Last Backup Date", stored as UTC text
/// "YYYY-MM-DDThh:mm:ssZ") as local time text "YYYY-MM-DD hh:mm:ss".

#include <string>
#include <string_view>

namespace orvelle {

/// "YYYY-MM-DD hh:mm:ss" taken as UTC, minus the time zone's standard bias
/// (daylight saving is not applied), as "YYYY-MM-DD hh:mm:ss". Empty when a
/// separator is missing or a field is out of range.
std::string toLocalTimeText(std::string_view utcText);

/// The stored date text with the "T" replaced by a blank, the hour rewritten
/// as two digits and everything from the first "Z" cut off.
std::string rewriteStoredDate(std::string_view stored);

/// The stored date as shown: the local time of the rewritten text, or the
/// rewritten text itself when it does not convert.
std::string backupDateText(std::string_view stored);

} // namespace orvelle
