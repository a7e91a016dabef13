#pragma once
/// Where a run's scratch folder goes (see RunFolder.h): inside a parent
/// "QuorilTempFile" below the data folder when its drive has more than
/// 15 GiB free, otherwise at the root of the drive with the most free space
/// (on POSIX systems the system's temporary folder). Chosen once per process.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvelle {

constexpr const char* kScratchFolderName = "QuorilTempFile";
/// The decrypted copy's folder inside a run's folder.
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

/// The process's parent of run folders for `dataFolder`: chosen at the first
/// call (the data folder is created, the system asked for free space); later
/// calls return the same path. Nothing else is created here: the parent is
/// made and checked by the run folder itself.
std::filesystem::path scratchFolder(const std::filesystem::path& dataFolder);

/// Every folder in which a run with `dataFolder` may have made its folder,
/// whatever the free space was then: `dataFolder` / "QuorilTempFile", each
/// scratch root / "QuorilTempFile", and the system's temporary folder itself
/// (where a run goes when its parent is not safe to use).
std::vector<std::filesystem::path> runFolderParents(const std::filesystem::path& dataFolder);

} // namespace orvelle
