#pragma once
/// CSV lines of the exported documents: fields as csvField writes them
/// (guarded against formulas, quoted as RFC 4180 asks), every line ending
/// with CR LF.

#include "core/CsvField.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace orvelle {

/// The "Deleted" column of the exported CSV files: "yes" for a deleted record, "no" for a live one.
std::string_view deletedText(std::uint32_t deleted);

/// The fields joined by commas, followed by CR LF.
std::string csvLine(std::initializer_list<std::string_view> fields);

} // namespace orvelle
