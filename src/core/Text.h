#pragma once
/// Small text helpers shared by the engine: UTF-8 validity, ASCII case
/// folding, and the row-acceptance rule for database texts.

#include <string>
#include <string_view>

namespace orvelle {

/// True when `text` is well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool isValidUtf8(std::string_view text);

/// A database text is usable when it is valid UTF-8 and holds no U+FFFD
/// replacement character; a row with an unusable text is dropped.
bool isAcceptableText(std::string_view text);

/// ASCII lower-casing; other bytes are left alone.
std::string asciiLower(std::string_view text);
/// ASCII upper-casing; other bytes are left alone.
std::string asciiUpper(std::string_view text);

/// Case-insensitive (ASCII) comparison: <0, 0, >0 as strcmp.
int compareIgnoreCase(std::string_view a, std::string_view b);

/// True when `a` and `b` are equal ignoring ASCII case.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

/// Lower-case hex of a byte string.
std::string toHex(std::string_view bytes);

} // namespace orvelle
