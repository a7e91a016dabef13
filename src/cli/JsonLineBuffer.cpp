#include "cli/JsonLineBuffer.h"

#include "core/Text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orvelle::cli {

namespace {

// Bytes gathered before they are written out.
constexpr std::size_t kBlockSize = 1 << 16;

// Escapes of the ASCII bytes that need one (0: copied as is).
constexpr char kShortEscape[0x80] = {
    0, 0, 0, 0, 0, 0, 0, 0, 'b', 't', 'n', 0, 'f', 'r', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, '"', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\\', 0, 0, 0,
};

bool plainAscii(unsigned char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; }

} // namespace

JsonLineBuffer::JsonLineBuffer(std::FILE* out) : m_out(out) { m_buffer.reserve(kBlockSize + 4096); }

JsonLineBuffer::~JsonLineBuffer() { flush(); }

void JsonLineBuffer::string(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    m_buffer.push_back('"');
    std::size_t i = 0;
    while (i < text.size()) {
        // Runs of plain ASCII are copied at once.
        std::size_t run = i;
        while (run < text.size() && plainAscii(static_cast<unsigned char>(text[run])))
            ++run;
        m_buffer.append(text.data() + i, run - i);
        i = run;
        if (i >= text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            // One UTF-8 sequence when it is valid, else U+FFFD for the byte.
            const std::size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
            if (length > 1 && i + length <= text.size() && isValidUtf8(text.substr(i, length))) {
                m_buffer.append(text.data() + i, length);
                i += length;
            } else {
                m_buffer.append("\xEF\xBF\xBD");
                ++i;
            }
            continue;
        }
        m_buffer.push_back('\\');
        if (const char escape = c < 0x80 ? kShortEscape[c] : 0) {
            m_buffer.push_back(escape);
        } else {
            const char code[] = {'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
            m_buffer.append(code, sizeof code);
        }
        ++i;
    }
    m_buffer.push_back('"');
}

void JsonLineBuffer::integer(std::int64_t number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    m_buffer.append(digits, result.ptr);
}

void JsonLineBuffer::unsignedInteger(std::uint64_t number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    m_buffer.append(digits, result.ptr);
}

void JsonLineBuffer::real(double number) {
    if (!std::isfinite(number)) {
        m_buffer.append("null");
        return;
    }
    char digits[40];
    const auto result = std::to_chars(digits, digits + sizeof digits, number, std::chars_format::general, 17);
    const std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
    m_buffer.append(text);
    // Keep floats recognisable as floats.
    if (text.find_first_of(".eE") == std::string_view::npos) m_buffer.append(".0");
}

void JsonLineBuffer::hexString(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    m_buffer.push_back('"');
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        m_buffer.push_back(kHex[c >> 4]);
        m_buffer.push_back(kHex[c & 15]);
    }
    m_buffer.push_back('"');
}

void JsonLineBuffer::endLine() {
    m_buffer.push_back('\n');
    if (m_buffer.size() >= kBlockSize) flush();
}

bool JsonLineBuffer::flush() {
    if (!m_buffer.empty()) {
        if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out) != m_buffer.size()) m_failed = true;
        m_buffer.clear();
    }
    if (std::fflush(m_out) != 0) m_failed = true;
    return !m_failed;
}

} // namespace orvelle::cli
