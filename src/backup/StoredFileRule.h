#pragma once
/// Where a stored file lies, from its file ID:
///
/// | backup                    | path                         |
/// |---------------------------|------------------------------|
/// | encrypted (decrypted copy)| root / fileId                |
/// | with Manifest.db          | root / fileId[0..2] / fileId |
/// | with Manifest.mbdb        | root / fileId                |
///
/// `root` is the current backup folder, or the decrypted copy's folder.

#include <filesystem>
#include <string_view>

namespace orvelle {

enum class StoredLayout {
    Flat,     ///< every file directly in the folder
    TwoLevel, ///< files in sub-folders named by the first two characters of the ID
};

/// The layout of a backup: a decrypted copy is always flat.
constexpr StoredLayout storedLayout(bool encrypted, bool twoLevelLayout) {
    return !encrypted && twoLevelLayout ? StoredLayout::TwoLevel : StoredLayout::Flat;
}

/// The stored file of `fileId` below `root`. Empty when the ID is not a plain
/// file name (a separator, "." or ".."), so a hostile manifest cannot point
/// outside the backup.
std::filesystem::path storedFilePath(const std::filesystem::path& root, std::string_view fileId,
                                     StoredLayout layout);

} // namespace orvelle
