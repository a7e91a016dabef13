#pragma once
/// Reads the five summary keys of a backup's Info.plist into a BackupInfo.
///
/// iTunes writes Info.plist as an XML property list, one element per line:
///
///     <key>Display Name</key>
///     <string>Anna's iPhone</string>
///
/// The text form is read line by line (pieces of at most 2047 bytes, as a
/// 2048-byte line buffer yields them); a key line is recognised by its key
/// element and its value is taken from the line that follows. Reading stops
/// after "Serial Number", so keys after it are not seen. A file that starts
/// with "bplist00" is a binary property list and is read with libplist for
/// the same five keys.
///
/// | key               | value element | BackupInfo field                     |
/// |-------------------|---------------|--------------------------------------|
/// | Display Name      | <string>      | displayName                          |
/// | Last Backup Date  | <date> (UTC)  | lastBackupDate, as local time text   |
/// | Phone Number      | <string>      | phoneNumber                          |
/// | Product Version   | <string>      | majorVersionAbove11                  |
/// | Serial Number     | <string>      | serialNumber (then reading stops)    |

#include "backup/BackupInfo.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace orvelle {

constexpr std::string_view kInfoPlistName = "Info.plist";
/// Size of the line buffer: a longer line arrives in pieces of one byte less.
constexpr std::size_t kInfoPlistLineBuffer = 2048;
/// A binary Info.plist larger than this is not read.
constexpr std::uint64_t kMaxBinaryInfoPlist = 64ull << 20;

/// Reads `plistPath` into the summary fields of `info` (encrypted and folder
/// are left alone). False when the file cannot be opened; `info` is unchanged then.
bool readInfoPlist(const std::filesystem::path& plistPath, BackupInfo& info);

/// True when the integer value of the leading digits of `productVersion` is
/// greater than 11 ("12.1" true, "11.4" false, "" false).
bool isMajorVersionAbove11(std::string_view productVersion);

} // namespace orvelle
