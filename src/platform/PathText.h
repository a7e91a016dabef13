#pragma once
/// Paths and UTF-8 texts. Records carry paths as UTF-8 text; these two
/// helpers convert without going through the system's narrow code page.

#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle::platform {

/// The path named by the UTF-8 text `text`.
std::filesystem::path utf8Path(std::string_view text);

/// The UTF-8 text of `path` (generic separators are not forced).
std::string pathText(const std::filesystem::path& path);

} // namespace orvelle::platform
