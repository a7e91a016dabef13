#pragma once
/// Folder listing and creation.

#include <filesystem>
#include <system_error>
#include <vector>

namespace orvelle::platform {

/// Appends `folder / name` for every entry of `folder` whose name does not
/// begin with "." (files and folders alike, in the order the file system
/// returns them). False when the folder cannot be listed; `out` is then unchanged.
bool listFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& out);

/// Creates `folder` with all missing parents. True when it exists afterwards.
bool createFolders(const std::filesystem::path& folder);

/// Creates `folder`, which lies below `base`, with its missing parents up to
/// `base` (itself created when missing, and allowed to be a link: the user
/// named it). No folder from `base` down may be a link (on Windows, a reparse
/// point) or a file: writing there would land outside `base`. False with `ec`
/// set otherwise (FileRefusal::linkedFolder for a link or a file in the way,
/// std::errc::invalid_argument when `folder` is not below `base`).
bool createFoldersWithin(const std::filesystem::path& base, const std::filesystem::path& folder,
                         std::error_code& ec);

} // namespace orvelle::platform
