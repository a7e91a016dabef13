#pragma once
/// File types by name extension: the picture, video and sound extensions
/// that decide where an app file is listed and which icon a file row shows.

#include <string>
#include <string_view>

namespace orvelle {

/// The text after the last "." of `name`, lower-cased (ASCII); empty when there is none.
std::string lowerExtension(std::string_view name);

/// True when the lower-case extension `ext` is a known picture type.
bool isImageExtension(std::string_view ext);
/// True when the lower-case extension `ext` is a known video type.
bool isVideoExtension(std::string_view ext);
/// True when the lower-case extension `ext` is a known sound type.
bool isAudioExtension(std::string_view ext);

/// True when the file `name` belongs to App Videos (a video or sound type);
/// everything else, unknown types and names without extension included,
/// belongs to App Photos.
bool isAppVideoName(std::string_view name);

} // namespace orvelle
