#include "core/TerminalText.h"

#include <cstdint>

namespace orvelle {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendByteEscape(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xf];
}

void appendCodePointEscape(std::string& out, std::uint32_t cp) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(cp >> shift) & 0xf];
}

/// C1 controls, and the characters that reorder or break a line.
bool isHiddenControl(std::uint32_t cp) {
    return (cp >= 0x80 && cp <= 0x9F) || cp == 0x061C || cp == 0x200E || cp == 0x200F ||
           (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

/// Length of the well-formed UTF-8 sequence at the start of `text` (its code
/// point in `cp`), or 0 when the first byte does not start one.
std::size_t sequenceLength(std::string_view text, std::uint32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    std::uint32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

} // namespace

std::string terminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.front());
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            text.remove_prefix(1);
            continue;
        }
        if (c < 0x80) {
            if (c == '\n')
                out += "\\n";
            else if (c == '\r')
                out += "\\r";
            else if (c == '\t')
                out += "\\t";
            else
                appendByteEscape(out, c);
            text.remove_prefix(1);
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t length = sequenceLength(text, cp);
        if (length == 0) {
            appendByteEscape(out, c);
            text.remove_prefix(1);
        } else {
            if (isHiddenControl(cp))
                appendCodePointEscape(out, cp);
            else
                out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

} // namespace orvelle
