#pragma once
/// Creating a file only where none exists, so that an export never replaces
/// a file that is already there.

#include <filesystem>
#include <system_error>

namespace orvelle::platform {

/// Creates the empty file `path` when nothing of that name exists. False with
/// `ec` set otherwise (std::errc::file_exists when the name is taken).
bool createNewFile(const std::filesystem::path& path, std::error_code& ec);

} // namespace orvelle::platform
