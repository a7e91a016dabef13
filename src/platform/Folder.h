#pragma once
/// Folder listing and creation.

#include <filesystem>
#include <vector>

namespace orvelle::platform {

/// Appends `folder / name` for every entry of `folder` whose name does not
/// begin with "." (files and folders alike, in the order the file system
/// returns them). False when the folder cannot be listed; `out` is then unchanged.
bool listFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& out);

/// Creates `folder` with all missing parents. True when it exists afterwards.
bool createFolders(const std::filesystem::path& folder);

} // namespace orvelle::platform
