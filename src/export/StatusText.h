#pragma once
/// The text shown beside each exported file: "Success", or the system's
/// message for the error that stopped it.

#include "core/Status.h"

#include <string>

namespace orvelle {

/// "Success" for 0; the engine's own codes (87 invalid input, 3 missing file)
/// by their meaning; any other code as the system's error message.
std::string statusText(Status status);

} // namespace orvelle
