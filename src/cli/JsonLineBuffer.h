#pragma once
/// A fast writer of JSON lines for commands that print a great many small
/// objects: values are appended to one buffer that is reused for the whole
/// run (no allocation per value, no stream per field) and written out in large
/// blocks. The text it produces is the same as JsonWriter's compact form.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace orvelle::cli {

class JsonLineBuffer {
public:
    /// Writes to `out` (stdout by default) whenever a block is full and on flush().
    explicit JsonLineBuffer(std::FILE* out = stdout);
    ~JsonLineBuffer();
    JsonLineBuffer(const JsonLineBuffer&) = delete;
    JsonLineBuffer& operator=(const JsonLineBuffer&) = delete;

    /// Raw JSON text (punctuation, keys written as literals).
    void raw(std::string_view text) { m_buffer.append(text); }
    void raw(char c) { m_buffer.push_back(c); }
    /// A string: quoted and escaped; invalid UTF-8 bytes become U+FFFD.
    void string(std::string_view text);
    void integer(std::int64_t number);
    void unsignedInteger(std::uint64_t number);
    /// A float as "%.17g" with ".0" when it would read as an integer; null when
    /// not finite.
    void real(double number);
    /// Bytes as a quoted lower-case hex string.
    void hexString(std::string_view bytes);
    /// Ends a line; writes the buffer out once it holds a block.
    void endLine();
    /// Writes everything buffered. False when the output failed.
    bool flush();

private:
    std::FILE* m_out;
    std::string m_buffer;
    bool m_failed = false;
};

} // namespace orvelle::cli
