#pragma once
/// Reads the plain text of an archived attributed string: the `typedstream`
/// bytes that recent devices keep in `message.attributedBody` (often with
/// `message.text` left NULL).
///
/// Bytes relied on (little-endian stream, "streamtyped"):
///
/// | offset | size | meaning                                                    |
/// |--------|------|------------------------------------------------------------|
/// | 0      | 1    | streamer version (4; 3 is accepted)                        |
/// | 1      | 1    | signature length, 11                                       |
/// | 2      | 11   | "streamtyped"                                              |
/// | 13     | 1-5  | system version, a tagged integer (0x81 e8 03 = 1000)       |
/// | then   |      | a type string "@" and the root object                      |
///
/// Tagged values (one signed head byte):
///
/// | head        | meaning                                                     |
/// |-------------|-------------------------------------------------------------|
/// | -110..127   | the integer itself; as a reference: table index head + 110  |
/// | 0x81        | a 16-bit little-endian integer follows                      |
/// | 0x82        | a 32-bit little-endian integer follows                      |
/// | 0x84        | a new object, class or shared string follows                |
/// | 0x85        | nil                                                         |
/// | 0x86        | end of an object's contents                                 |
///
/// A shared string (type strings, class names) is 0x84 + length + bytes the
/// first time and a reference into the string table afterwards. A new object
/// is 0x84 + its class; a new class is 0x84 + name (shared string) + version
/// (integer) + superclass (a class, a reference, or nil). Objects and classes
/// share one reference table, numbered in the order they appear.
///
/// An attributed string archive is: "@", a new object whose class chain holds
/// NSAttributedString, then its contents, which start with "@" and an object
/// whose class chain holds NSString, whose contents start with the type "+"
/// and the text as length + UTF-8 bytes.

#include <optional>
#include <string>
#include <string_view>

namespace orvelle {

constexpr unsigned char kTypedStreamVersion = 4;
constexpr std::string_view kTypedStreamSignature = "streamtyped";
constexpr signed char kTypedStreamInt16 = -127;          // 0x81
constexpr signed char kTypedStreamInt32 = -126;          // 0x82
constexpr signed char kTypedStreamNew = -124;            // 0x84
constexpr signed char kTypedStreamNil = -123;            // 0x85
constexpr signed char kTypedStreamEndOfObject = -122;    // 0x86
constexpr signed char kTypedStreamFirstReference = -110; // 0x92: table index 0

/// The result of reading an attributed string archive.
struct ArchivedText {
    std::string text;
    /// True when the archive was cut short inside the text: `text` then holds
    /// the longest well-formed UTF-8 start of what is there.
    bool truncated = false;
};

/// The plain string of an archived NSAttributedString, or nothing when the
/// bytes are not such an archive. The text is not checked for UTF-8 validity
/// beyond the salvage of a truncated archive.
std::optional<ArchivedText> readAttributedStringText(std::string_view archive);

} // namespace orvelle
