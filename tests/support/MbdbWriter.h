#pragma once
/// Writes Manifest.mbdb files (big-endian integers; strings as a 2-byte
/// length and bytes, 0xFFFF for an absent string).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::test {

/// File-type bits of the mode field.
constexpr std::uint16_t kMbdbModeFile = 0x81A4;      ///< regular file, rw-r--r--
constexpr std::uint16_t kMbdbModeDirectory = 0x41ED; ///< directory, rwxr-xr-x
constexpr std::uint16_t kMbdbModeSymlink = 0xA1ED;   ///< symbolic link

struct MbdbRecord {
    std::optional<std::string> domain;
    std::optional<std::string> relativePath;
    std::optional<std::string> linkTarget;
    std::optional<std::string> dataHash;
    std::optional<std::string> encryptionKey;
    std::uint16_t mode = kMbdbModeFile;
    std::uint64_t inode = 0;
    std::uint32_t userId = 501, groupId = 501;
    std::uint32_t modified = 1400000000, accessed = 1400000000, changed = 1400000000;
    std::uint64_t size = 0;
    std::uint8_t protectionClass = 4;
    std::vector<std::pair<std::string, std::string>> properties;
};

/// The 6-byte header: "mbdb" and version 5.0.
std::string mbdbHeader();

/// Appends one record.
void appendMbdbRecord(std::string& out, const MbdbRecord& record);

/// A whole Manifest.mbdb.
std::string buildMbdb(const std::vector<MbdbRecord>& records);

} // namespace orvelle::test
