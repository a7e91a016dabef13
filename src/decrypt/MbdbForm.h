#pragma once
/// Backups with Manifest.mbdb (before iOS 10): the manifest is not encrypted;
/// each file record carries its own wrapped key. All integers big-endian.
///
/// | offset | size | meaning                    |
/// |--------|------|----------------------------|
/// | 0      | 4    | magic "mbdb"               |
/// | 4      | 2    | version                    |
/// | 6      | ...  | records, back to back      |
///
/// A record (a string is a 2-byte length and that many bytes; 0xFFFF = absent,
/// no bytes follow):
///
/// | order | size   | field                                              |
/// |-------|--------|----------------------------------------------------|
/// | 1     | string | domain                                             |
/// | 2     | string | relative path                                      |
/// | 3     | string | link target                                        |
/// | 4     | string | data hash                                          |
/// | 5     | string | encryption key: 4 bytes, then the 40-byte wrapped key |
/// | 6     | 2      | mode; file type in bits 13-15 (0x8000 = file)      |
/// | 7     | 8      | inode number                                       |
/// | 8     | 4 x 5  | user, group, modified, accessed, changed           |
/// | 9     | 8      | file size                                          |
/// | 10    | 1      | protection class (names the class key)            |
/// | 11    | 1      | property count n, then n pairs of strings          |
///
/// Stored files lie flat in the backup folder under the file ID, the SHA-1 of
/// "domain-relative path" in lower-case hex.

#include "decrypt/BackupFileEntry.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle::decrypt {

constexpr const char* kManifestMbdbName = "Manifest.mbdb";
constexpr std::string_view kMbdbMagic = "mbdb";
constexpr std::size_t kMbdbHeaderSize = 6;
constexpr std::uint16_t kMbdbAbsentString = 0xFFFF;
constexpr std::uint16_t kModeTypeMask = 0xE000;
constexpr std::uint16_t kModeRegularFile = 0x8000;

/// Lists the regular files of the manifest `bytes` of the backup in
/// `backupFolder`. False with `error` set when the magic is wrong or a record
/// runs past the end.
bool parseMbdbFiles(std::string_view bytes, const std::filesystem::path& backupFolder,
                    std::vector<BackupFileEntry>& out, std::string& error);

} // namespace orvelle::decrypt
