#pragma once
/// The private scratch folder of one run. Decrypted copies and preview
/// copies of the owner's data live there and nowhere else, for as long as
/// the run (its backup store) lives.
///
/// Each run makes its own folder, "orvelle-run-" and random characters, open
/// to the user alone (0700; on Windows an access list for the user alone),
/// inside the parent scratchFolder() chose (see ScratchFolder.h) when that
/// parent is a real folder of the user's that nobody else may change; else
/// directly in the system's temporary folder. A marker file inside is held
/// locked while the run lives. The run removes its own folder when it ends;
/// a folder left by a run that died (marker there, lock free) is removed by
/// a later run. Links are never followed, and nothing else in a parent is
/// touched.

#include "platform/RunLock.h"

#include <cstddef>
#include <filesystem>
#include <mutex>

namespace orvelle {

/// The start of every run folder's name; random characters follow.
constexpr const char* kRunFolderPrefix = "orvelle-run-";
/// The marker file inside a run folder, locked while its run lives.
constexpr const char* kRunMarkerName = "orvelle-run.lock";

class RunFolder {
public:
    /// A run folder to be made inside `parent` at the first call of path();
    /// nothing is made yet. An empty `parent` is chosen then by
    /// scratchFolder(`dataFolder`).
    explicit RunFolder(std::filesystem::path dataFolder, std::filesystem::path parent = {});
    /// Removes the folder with everything in it, never following a link.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    /// The folder, made at the first call (from any thread); later calls
    /// return the same. Empty when no private folder can be made.
    std::filesystem::path path() const;

private:
    std::filesystem::path m_dataFolder;
    std::filesystem::path m_parent;
    // Made at the first use: a run that never decrypts nor previews makes nothing.
    mutable std::mutex m_mutex;
    mutable bool m_tried = false;
    mutable std::filesystem::path m_folder;
    mutable platform::RunLock m_lock;
};

/// Removes, inside `parent`, the folders left by runs of this program that
/// died: each named kRunFolderPrefix..., a real folder (not a link) of the
/// current user, holding the marker (a regular file of the user) whose lock
/// nobody holds. Everything else stays, a live run's folder included, and no
/// link is followed. Returns how many were removed.
std::size_t removeAbandonedRunFolders(const std::filesystem::path& parent);

} // namespace orvelle
