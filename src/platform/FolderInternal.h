#pragma once
/// The one step of creating the export's folders that differs per system.

#include <filesystem>
#include <system_error>

namespace orvelle::platform {

/// Creates `folder` (its parent exists) when nothing of that name is there,
/// then true only when the name is a folder itself: a link (on Windows, a
/// reparse point) or a file gives FileRefusal::linkedFolder, anything else
/// the system's error.
bool makeOwnFolder(const std::filesystem::path& folder, std::error_code& ec);

} // namespace orvelle::platform
