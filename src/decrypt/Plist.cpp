#include "decrypt/Plist.h"

#include "backup/PlistBounds.h"

#include <cstdlib>

namespace orvelle::decrypt {

PlistPtr parsePlist(std::string_view bytes, std::string* problem) {
    plist_t root = nullptr;
    const PlistBoundsFault fault = parseBoundedPlist(bytes, root);
    if (fault != PlistBoundsFault::none && problem) *problem = plistBoundsText(fault);
    return PlistPtr(root);
}

plist_t dictItem(plist_t dict, const char* key, plist_type type) {
    if (!dict || plist_get_node_type(dict) != PLIST_DICT) return nullptr;
    plist_t item = plist_dict_get_item(dict, key);
    return item && plist_get_node_type(item) == type ? item : nullptr;
}

std::string dataValue(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_DATA) return {};
    char* bytes = nullptr;
    std::uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    std::string out;
    if (bytes) out.assign(bytes, static_cast<std::size_t>(length));
    std::free(bytes);
    return out;
}

std::optional<std::uint64_t> uintValue(plist_t node) {
    if (!node) return std::nullopt;
    if (plist_get_node_type(node) == PLIST_UINT) {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return value;
    }
    if (plist_get_node_type(node) == PLIST_BOOLEAN) {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value;
    }
    return std::nullopt;
}

} // namespace orvelle::decrypt
