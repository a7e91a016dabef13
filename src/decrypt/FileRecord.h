#pragma once
/// The per-file record of Manifest.db: the `file` column of `Files` holds an
/// NSKeyedArchiver binary property list of an MBFile object.
///
/// | path                            | type      | meaning                               |
/// |---------------------------------|-----------|---------------------------------------|
/// | $top / root                     | UID       | index of the MBFile object in $objects|
/// | $objects[root] / Size           | integer   | plain size of the file in bytes       |
/// | $objects[root] / ProtectionClass| integer   | protection class of the file's key    |
/// | $objects[root] / EncryptionKey  | UID       | index of an NSData object             |
/// | $objects[key] / NS.data         | data      | 4-byte little-endian class + 40-byte  |
/// |                                 |           | wrapped key (or the object is data)   |
///
/// A file without EncryptionKey is stored unencrypted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvelle::decrypt {

struct ArchivedFileInfo {
    std::optional<std::uint64_t> size; // Size, when recorded
    std::uint32_t protectionClass = 0; // ProtectionClass
    std::string keyRecord;             // EncryptionKey bytes (class prefix + wrapped key); empty: none
};

/// Reads the archived MBFile in `blob`. False with `error` set when the blob is
/// not an NSKeyedArchiver property list or its references point nowhere.
bool readArchivedFile(std::string_view blob, ArchivedFileInfo& out, std::string& error);

} // namespace orvelle::decrypt
