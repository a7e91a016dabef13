#include "backup/MediaExtensions.h"

#include "core/Text.h"

namespace orvelle {

bool extensionInList(std::string_view list, std::string_view extension) {
    if (extension.empty()) return false;
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find('|', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view entry = list.substr(start, end - start);
        if (entry.starts_with("*.")) entry.remove_prefix(2);
        if (entry == extension) return true;
        start = end + 1;
    }
    return false;
}

std::string_view nameExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool isVideoOrSoundName(std::string_view name) {
    const std::string extension = asciiLower(nameExtension(name));
    return extensionInList(kVideoExtensions, extension) || extensionInList(kSoundExtensions, extension);
}

} // namespace orvelle
