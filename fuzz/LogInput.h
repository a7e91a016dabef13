#pragma once
// How one fuzz input holds a database and the write-ahead log beside it.
//
// Byte 0 holds flags (bit 0: give every frame of the log the header's salts
// and right checksums before reading, so that mutations reach the committed
// view and not only the carving of invalid frames); bytes 1-4 the database's
// length, little-endian (cut to what follows); then the database; the rest is
// the log.

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvelle::fuzz {

inline constexpr std::uint8_t kFixLogChecksums = 1;
inline constexpr std::size_t kLogInputHeader = 5;

struct LogInput {
    std::string database;
    std::string log;
    std::uint8_t flags = 0;
};

inline LogInput splitLogInput(const std::uint8_t* data, std::size_t size) {
    LogInput input;
    if (size < kLogInputHeader) return input;
    input.flags = data[0];
    const std::size_t stated = std::size_t(data[1]) | std::size_t(data[2]) << 8 | std::size_t(data[3]) << 16 |
                               std::size_t(data[4]) << 24;
    const std::size_t rest = size - kLogInputHeader;
    const std::size_t length = stated < rest ? stated : rest;
    input.database.assign(reinterpret_cast<const char*>(data) + kLogInputHeader, length);
    input.log.assign(reinterpret_cast<const char*>(data) + kLogInputHeader + length, rest - length);
    return input;
}

inline std::string packLogInput(const LogInput& input) {
    std::string out(kLogInputHeader, '\0');
    out[0] = static_cast<char>(input.flags);
    for (int i = 0; i < 4; ++i)
        out[1 + i] = static_cast<char>((input.database.size() >> (8 * i)) & 0xff);
    return out + input.database + input.log;
}

} // namespace orvelle::fuzz
