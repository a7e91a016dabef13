#pragma once
/// Property lists built to hurt a recursive reader: binary lists of chosen
/// objects (containers whose members are any object indexes, so cycles and
/// shared members included) and lists nested to any depth.

#include <cstdint>
#include <string>
#include <vector>

namespace orvelle::test {

/// One object of a binary property list.
struct PlistObject {
    enum class Kind { array, dictionary, string };
    Kind kind = Kind::string;
    /// Array: member indexes. Dictionary: key indexes, then value indexes.
    std::vector<std::uint64_t> members;
    std::string text; ///< string: its ASCII text
};

/// A binary property list ("bplist00") of `objects`, `top` its top object;
/// offsets and references take as few bytes as they need.
std::string binaryPlist(const std::vector<PlistObject>& objects, std::uint64_t top = 0);

/// `depth` arrays, each the only member of the one before, around one string.
std::string nestedBinaryPlist(std::size_t depth);

/// The same as an XML property list.
std::string nestedXmlPlist(std::size_t depth);

} // namespace orvelle::test
