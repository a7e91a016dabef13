#pragma once
/// Reads Manifest.mbdb, the manifest of backups before iOS 10. All integers
/// are big-endian.
///
/// | offset | size | meaning                                      |
/// |--------|------|----------------------------------------------|
/// | 0      | 4    | magic "mbdb"                                 |
/// | 4      | 2    | version (any value)                          |
/// | 6      | ...  | records, back to back, to the end of the file|
///
/// A record:
///
/// | size   | field                       | used                         |
/// |--------|-----------------------------|------------------------------|
/// | string | domain                      | domainPath                   |
/// | string | relative path               | domainPath                   |
/// | string | link target                 |                              |
/// | string | data hash                   |                              |
/// | string | encryption key              |                              |
/// | 2      | mode                        | file type in bits 13 to 15   |
/// | 8      | inode number                |                              |
/// | 4 × 5  | uid, gid, mtime, atime, ctime |                            |
/// | 8      | file size                   |                              |
/// | 1      | protection class            |                              |
/// | 1      | property count n            |                              |
/// | n × 2 strings | property name, value |                              |
///
/// A string is a 2-byte length and that many bytes; the length 0xFFFF means
/// "absent" and is followed by nothing. Every length is checked against the
/// bytes left before it is used: a truncated or hostile file yields the
/// records read before the fault.

#include "backup/ManifestEntry.h"
#include "core/Status.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace orvelle {

constexpr std::string_view kMbdbMagic = "mbdb";
constexpr std::size_t kMbdbHeaderSize = 6;
constexpr std::uint16_t kMbdbAbsentString = 0xFFFF;
constexpr std::uint16_t kModeTypeMask = 0xE000;
constexpr std::uint16_t kModeTypeDirectory = 0x4000;
constexpr std::uint16_t kModeTypeSymlink = 0xA000;
constexpr std::uint16_t kModeTypeRegular = 0x8000;
/// Bytes between the fifth string and the property count: mode, inode, five
/// 32-bit fields, size, protection class.
constexpr std::size_t kMbdbFixedFieldsSize = 2 + 8 + 4 * 5 + 8 + 1;

/// Where a parse stopped early.
struct MbdbFault {
    std::uint64_t recordOffset = 0; ///< start of the record that could not be read whole
};

/// Appends one entry per file or link record with a domain and a path, in file
/// order; directories are skipped. kStatusOk; kStatusManifestUnreadable when the
/// file cannot be opened; kStatusInvalid without the magic or without memory
/// for the file; kStatusShortRead when a record runs past the end of the file
/// (the entries before it stay in `out`, `fault` tells where).
Status parseManifestMbdb(const std::filesystem::path& path, ManifestList& out, MbdbFault* fault = nullptr);

/// The same over bytes already in memory.
Status parseManifestMbdbBytes(std::string_view bytes, ManifestList& out, MbdbFault* fault = nullptr);

} // namespace orvelle
