#pragma once
/// CSV lines as RFC 4180 writes them: a field holding a comma, a double
/// quote, a CR or a LF is enclosed in double quotes with its quotes doubled;
/// every line ends with CR LF.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace orvelle {

/// One field, quoted when it needs to be.
std::string csvField(std::string_view value);

/// The "Deleted" column of the exported CSV files: "yes" for a deleted record, "no" for a live one.
std::string_view deletedText(std::uint32_t deleted);

/// The fields joined by commas, followed by CR LF.
std::string csvLine(std::initializer_list<std::string_view> fields);

} // namespace orvelle
