#pragma once
/// Splits the app files of a scan into App Photos and App Videos by the
/// extension of each file's name (see FileTypes.h), grouped by app name.

#include "scan/ScanResults.h"

namespace orvelle {

/// Replaces `photos` and `videos` with the split of `files`; within an app the
/// files keep their order.
void splitAppFiles(const std::vector<AppFileRecord>& files, AppFileMap& photos, AppFileMap& videos);

} // namespace orvelle
