#pragma once
/// Where decrypted copies go: a hidden scratch folder "QuorilTempFile",
/// below the data folder when its drive has more than 15 GiB free, otherwise
/// at the root of the drive with the most free space. Decided once per process.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvelle {

constexpr const char* kScratchFolderName = "QuorilTempFile";
/// The decrypted copy's folder inside the scratch folder.
constexpr const char* kDecryptOutputFolderName = "QuorilOrvelleBackupPath";
/// The data folder's drive is used when it has more free bytes than this (15 GiB).
constexpr std::uint64_t kScratchMinimumFreeBytes = 16106127360ull;

/// A candidate drive and its free bytes (absent: the drive could not be asked).
struct DriveSpace {
    std::filesystem::path root;
    std::optional<std::uint64_t> freeBytes;
};

/// The choice itself: `dataFolder` / "QuorilTempFile" when `dataDriveFree` is
/// more than 15 GiB, else the first of `drives` with the most free bytes (a
/// later drive must have strictly more) / "QuorilTempFile". Empty when no
/// drive qualifies.
std::filesystem::path chooseScratchFolder(const std::filesystem::path& dataFolder,
                                          std::optional<std::uint64_t> dataDriveFree,
                                          const std::vector<DriveSpace>& drives);

/// The process's scratch folder for `dataFolder`: chosen at the first call
/// (asking the system for free space), created with its parents and hidden;
/// later calls return the same folder.
std::filesystem::path scratchFolder(const std::filesystem::path& dataFolder);

/// scratchFolder(dataFolder) / "QuorilOrvelleBackupPath".
std::filesystem::path decryptOutputFolder(const std::filesystem::path& dataFolder);

} // namespace orvelle
