#pragma once
/// Links between the files of one export. Every link is relative, so that
/// the export folder can be moved or copied elsewhere and still browses;
/// every path segment is percent-encoded, so that names with spaces,
/// quotes, "#" or "?" lead to the file they name.

#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle {

/// The URL of `target` as seen from a page in `fromFolder`: the relative
/// path with "/" separators, each byte outside A-Z a-z 0-9 - _ . ~ written
/// as %XX. Both paths must lie below the same root.
std::string relativeLink(const std::filesystem::path& fromFolder, const std::filesystem::path& target);

/// `text` percent-encoded as one URL path: bytes outside A-Z a-z 0-9 - _ . ~ /
/// become %XX.
std::string percentEncodedPath(std::string_view text);

/// True when browsers show a file of this name as a picture (JPEG, PNG, GIF,
/// BMP, WebP, ICO); other media are linked, not embedded.
bool isBrowserPicture(std::string_view name);

} // namespace orvelle
