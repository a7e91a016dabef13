#pragma once
// Runs the readers of a backup's own small files over any bytes: Manifest.mbdb
// (the scan's reader and the decryption program's), the keybag, the property
// lists (Info.plist, Manifest.plist and the encrypted-backup test that reads
// it) and the typedstream archive of a message's attributedBody. Each routine
// touches every byte the reader hands back, so a read outside a buffer shows
// up under the sanitizers. Shared by the fuzz targets and the test that
// replays their regression inputs and seeds.

#include "backup/BackupCatalogue.h"
#include "backup/InfoPlistReader.h"
#include "backup/ManifestMbdb.h"
#include "decrypt/BackupFileEntry.h"
#include "decrypt/KeyBag.h"
#include "decrypt/ManifestPlist.h"
#include "decrypt/MbdbForm.h"
#include "sqlite_records/decoders/TypedStream.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle::fuzz {

inline std::uint64_t sumOfBytes(std::string_view text) {
    std::uint64_t sum = text.size();
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    return sum;
}

inline std::uint64_t exerciseManifestMbdb(std::string_view bytes) {
    std::uint64_t sink = 0;
    ManifestList entries;
    MbdbFault fault;
    sink += static_cast<std::uint64_t>(parseManifestMbdbBytes(bytes, entries, &fault));
    for (const ManifestEntry& entry : entries)
        sink += sumOfBytes(entry.domainPath) + sumOfBytes(entry.fileId);
    std::vector<decrypt::BackupFileEntry> files;
    std::string error;
    sink += decrypt::parseMbdbFiles(bytes, "backup", files, error) ? 1 : 0;
    for (const decrypt::BackupFileEntry& file : files)
        sink += sumOfBytes(file.fileId) + sumOfBytes(file.wrappedKey) + sumOfBytes(file.problem) +
                file.size.value_or(0) + file.protectionClass;
    return sink + sumOfBytes(error);
}

inline std::uint64_t exerciseKeyBag(std::string_view bytes) {
    decrypt::KeyBag bag;
    std::string error;
    std::uint64_t sink = decrypt::parseKeyBag(bytes, bag, error) ? 1 : 0;
    sink += sumOfBytes(bag.uuid) + sumOfBytes(bag.salt) + sumOfBytes(bag.dpSalt) + bag.iterations +
            bag.dpIterations + bag.version + bag.type;
    for (const decrypt::ClassKeyRecord& key : bag.classKeys)
        sink += sumOfBytes(key.uuid) + sumOfBytes(key.wrappedKey) + key.protectionClass + key.wrap + key.keyType;
    return sink + sumOfBytes(error);
}

/// Writes `bytes` as both Info.plist and Manifest.plist into `folder` (which
/// must exist) and reads them as a backup's are read.
inline std::uint64_t exercisePropertyLists(std::string_view bytes, const std::filesystem::path& folder) {
    for (const char* name : {"Info.plist", "Manifest.plist"}) {
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::uint64_t sink = 0;
    BackupInfo info;
    sink += readInfoPlist(folder / "Info.plist", info) ? 1 : 0;
    sink += sumOfBytes(info.displayName) + sumOfBytes(info.lastBackupDate) + sumOfBytes(info.phoneNumber) +
            sumOfBytes(info.serialNumber) + (info.majorVersionAbove11 ? 1 : 0);
    decrypt::ManifestPlist manifest;
    std::string error;
    sink += decrypt::readManifestPlist(folder / "Manifest.plist", manifest, error) ? 1 : 0;
    sink += sumOfBytes(manifest.keyBag) + sumOfBytes(manifest.manifestKey) + sumOfBytes(error);
    sink += isEncryptedBackup(folder) ? 1 : 0;
    return sink;
}

inline std::uint64_t exerciseTypedStream(std::string_view bytes) {
    const auto text = readAttributedStringText(bytes);
    return text ? sumOfBytes(text->text) + (text->truncated ? 1 : 0) : 0;
}

} // namespace orvelle::fuzz
