#pragma once
/// Removal of decrypted copies. Only files of the copy are ever deleted; the
/// encrypted backup itself is never touched.

#include <filesystem>
#include <vector>

namespace orvelle {

/// Deletes every file directly inside `outputFolder` (sub-folders stay), then
/// every file named in `decryptedFiles`, and empties that list.
void cleanUpDecryptedCopies(const std::filesystem::path& outputFolder,
                            std::vector<std::filesystem::path>& decryptedFiles);

} // namespace orvelle
