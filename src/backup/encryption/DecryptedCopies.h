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

/// Deletes the decrypted copy wherever a run of this program may have put it:
/// the output folder below `dataFolder`'s scratch folder and below every
/// scratch root (the choice depends on free space, which changes between
/// runs). Nothing is chosen or created. For start-up and exit, so a copy left
/// by an interrupted run does not outlive the next run.
void cleanUpDecryptedCopiesAt(const std::filesystem::path& dataFolder);

} // namespace orvelle
