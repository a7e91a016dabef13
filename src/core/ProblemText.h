#pragma once
/// Status codes in words, for messages a user reads. One wording per fault,
/// whichever command or window shows it.

#include "core/Status.h"

#include <string>

namespace orvelle {

/// What `status` means for a database or stored file, e.g. "it is not a SQLite
/// database, or its header is damaged". Unknown codes read "error N".
std::string problemText(Status status);

} // namespace orvelle
