#pragma once
/// Bounds a property list before libplist reads it. libplist parses nested
/// arrays and dictionaries by recursion, one stack frame per level, and a
/// binary list's containers name their members by object index, so that a
/// small file can nest a hundred thousand levels (and overflow the stack), or
/// name one container many times over (and expand to far more nodes than the
/// file holds). This checker walks the list without recursion and refuses
/// such files; only a list it accepts is handed to libplist.
///
/// A binary list ("bplist00") as far as the walk relies on it:
///
/// | bytes                  | meaning                                            |
/// |------------------------|----------------------------------------------------|
/// | 0-7                    | "bplist00"                                         |
/// | 8 .. offset table      | the objects, each a marker byte and its payload    |
/// | offset table           | object count entries, offset size bytes each (BE): |
/// |                        | where each object starts                           |
/// | last 32 bytes: 0-5     | unused, sort version                               |
/// |                6       | offset size (1-8)                                  |
/// |                7       | reference size (1-8)                               |
/// |                8-15    | object count (BE)                                  |
/// |                16-23   | index of the top object (BE)                       |
/// |                24-31   | offset of the offset table (BE)                    |
///
/// | marker | object                                                           |
/// |--------|------------------------------------------------------------------|
/// | 0x4n   | data of n bytes; n = 0xF: an integer object (0x1k, 2^k bytes BE) |
/// |        | follows and gives the length                                     |
/// | 0x5n   | ASCII string of n bytes (length as for data)                     |
/// | 0x6n   | UTF-16 string of n units (length as for data)                    |
/// | 0xAn   | array of n members: n references                                 |
/// | 0xCn   | set of n members: n references                                   |
/// | 0xDn   | dictionary of n entries: n key references, then n value refs    |
/// | other  | scalars; the walk does not look inside them                     |
///
/// An XML list is text: the checker counts how deeply its elements nest,
/// skipping comments, CDATA sections, processing instructions and the
/// document type declaration.

#include <cstddef>
#include <cstdint>
#include <plist/plist.h>
#include <string_view>

namespace orvelle {

/// How many arrays and dictionaries may nest in one another. Backups nest a
/// handful; libplist's recursion stays far from the stack's end at this depth.
constexpr std::size_t kMaxPlistDepth = 128;
/// How many nodes a binary list may expand to when libplist copies every
/// object once per reference to it.
constexpr std::uint64_t kMaxPlistNodes = std::uint64_t(1) << 20;
/// How many payload bytes (data and strings) it may expand to.
constexpr std::uint64_t kMaxPlistExpandedBytes = std::uint64_t(256) << 20;

enum class PlistBoundsFault : std::uint8_t {
    none,
    truncated,           ///< a binary list shorter than its header and trailer
    badTrailer,          ///< zero or oversized sizes, a top object or offset table out of range
    offsetOutOfRange,    ///< an object starts outside the objects' area
    referenceOutOfRange, ///< a member names an object that does not exist
    badContainer,        ///< a container's member count or references run past the objects
    cycle,               ///< a container holds itself, directly or further down
    tooDeep,             ///< containers nest deeper than the limit
    tooLarge,            ///< it expands to more nodes or bytes than the limits allow
};

/// A short English description of `fault` ("nested too deeply", ...).
std::string_view plistBoundsText(PlistBoundsFault fault);

/// Checks a binary list (bytes starting "bplist00") or any other text as an
/// XML list. `maxDepth` counts arrays, sets and dictionaries; in an XML list
/// the <plist> element and the innermost value's element may nest two more.
PlistBoundsFault checkPlistBounds(std::string_view bytes, std::size_t maxDepth = kMaxPlistDepth);

/// The one way the program parses a property list: libplist reads `bytes`
/// (binary or XML) only when checkPlistBounds accepts them. `root` receives
/// the list, the caller's to free, or nullptr when it was refused (the fault
/// says why) or is no property list (the fault is none).
PlistBoundsFault parseBoundedPlist(std::string_view bytes, plist_t& root);

} // namespace orvelle
