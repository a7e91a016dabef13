#include "export/RelativeLink.h"

#include "platform/PathText.h"
#include "scan/FileTypes.h"

#include <array>

namespace orvelle {

std::string percentEncodedPath(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
            std::string_view("-_.~/").find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::string relativeLink(const std::filesystem::path& fromFolder, const std::filesystem::path& target) {
    const std::filesystem::path relative = target.lexically_relative(fromFolder);
    std::string text = platform::pathText(relative.empty() ? target.filename() : relative);
    for (char& c : text)
        if (c == '\\') c = '/';
    return percentEncodedPath(text);
}

bool isBrowserPicture(std::string_view name) {
    static constexpr std::array<std::string_view, 7> kShown{"jpg", "jpeg", "png", "gif", "bmp", "webp", "ico"};
    const std::string ext = lowerExtension(name);
    for (std::string_view shown : kShown)
        if (ext == shown) return true;
    return false;
}

} // namespace orvelle
