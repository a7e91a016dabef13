#pragma once
/// One stored file of an encrypted backup, as either manifest form describes it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace orvelle::decrypt {

constexpr std::size_t kFileIdLength = 40;

struct BackupFileEntry {
    std::string fileId;                // 40 lower-case hex digits; the output file's name
    std::filesystem::path storedPath;  // the encrypted file inside the backup folder
    std::uint32_t protectionClass = 0; // names the class key that wraps the file key
    std::string wrappedKey;            // 40-byte wrapped file key; empty: stored unencrypted
    std::optional<std::uint64_t> size; // plain size, when the manifest records one
    std::string problem;               // non-empty: the record is unusable, the file is skipped
};

/// True when `text` is 40 lower-case hexadecimal digits, the only form of file
/// ID this program writes as a file name (no separators, no "..").
bool isFileId(std::string_view text);

} // namespace orvelle::decrypt
