#pragma once
/// Removal of decrypted copies. Only files of the copy are ever deleted; the
/// encrypted backup itself is never touched, and no link is followed.

#include <filesystem>
#include <vector>

namespace orvelle {

/// Removes everything inside `outputFolder`, folders included (the folder
/// itself stays), then every file named in `decryptedFiles`, and empties
/// that list. A link, inside or at `outputFolder` itself, is removed as
/// itself: what it leads to stays untouched.
void cleanUpDecryptedCopies(const std::filesystem::path& outputFolder,
                            std::vector<std::filesystem::path>& decryptedFiles);

} // namespace orvelle
