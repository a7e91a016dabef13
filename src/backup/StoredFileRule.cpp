#include "backup/StoredFileRule.h"

#include "platform/PathText.h"

namespace orvelle {

std::filesystem::path storedFilePath(const std::filesystem::path& root, std::string_view fileId,
                                     StoredLayout layout) {
    if (fileId.empty() || fileId == "." || fileId == ".." ||
        fileId.find_first_of("/\\:") != std::string_view::npos || fileId.find('\0') != std::string_view::npos)
        return {};
    const auto name = platform::utf8Path(fileId);
    if (layout == StoredLayout::TwoLevel) {
        const std::string_view prefix = fileId.substr(0, 2);
        if (prefix == ".." || prefix == ".") return {};
        return root / platform::utf8Path(prefix) / name;
    }
    return root / name;
}

} // namespace orvelle
