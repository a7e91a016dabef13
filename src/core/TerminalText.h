#pragma once
/// Texts from a backup (device names, paths, message texts) as a terminal may
/// be shown them. A terminal obeys the control characters in what it prints:
/// ESC sequences set its title, clear the screen or move the cursor, CR and LF
/// can fake table rows, bidirectional controls turn a name around. So every
/// such character is written as a visible escape:
///
///   LF, CR, tab                       \n  \r  \t
///   other C0 controls, DEL            \x1b (two lower-case hex digits)
///   C1 controls U+0080..U+009F        \u0085
///   bidi controls, line separators    \u202e (U+061C, U+200E, U+200F,
///                                     U+2028..U+202E, U+2066..U+2069)
///   a byte that is not valid UTF-8    \xff
///
/// A backslash stays as it is (Windows paths are full of them), so the form
/// is for reading, not for reading back.

#include <string>
#include <string_view>

namespace orvelle {

/// `text` with every control character escaped, on one line.
std::string terminalText(std::string_view text);

} // namespace orvelle
