#pragma once
/// Small helpers over libplist: an owning pointer and typed look-ups that
/// answer "absent" for a missing key or a value of another type.

#include <cstdint>
#include <memory>
#include <optional>
#include <plist/plist.h>
#include <string>
#include <string_view>

namespace orvelle::decrypt {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistFree>;

/// Parses an XML or binary property list; empty when `bytes` is neither, or
/// when it nests too deeply or refers to itself (see backup/PlistBounds.h):
/// `problem`, when given, then says why.
PlistPtr parsePlist(std::string_view bytes, std::string* problem = nullptr);

/// The value of `key` in the dictionary `dict` when it has type `type`.
plist_t dictItem(plist_t dict, const char* key, plist_type type);

/// Data bytes of a PLIST_DATA node.
std::string dataValue(plist_t node);

/// Integer value of a PLIST_UINT node (or of a boolean), absent otherwise.
std::optional<std::uint64_t> uintValue(plist_t node);

} // namespace orvelle::decrypt
