#include "backup/encryption/RunFolder.h"

#include "backup/encryption/ScratchFolder.h"
#include "platform/Folder.h"
#include "platform/PathText.h"
#include "platform/PrivateFolder.h"
#include "platform/Storage.h"

#include <string>
#include <vector>

namespace orvelle {

RunFolder::RunFolder(std::filesystem::path dataFolder, std::filesystem::path parent)
    : m_dataFolder(std::move(dataFolder)), m_parent(std::move(parent)) {}

RunFolder::~RunFolder() {
    if (m_folder.empty()) return;
    // The lock first: Windows keeps a file that is still open until it is
    // closed, and the folder could not go.
    m_lock.release();
    platform::removeTree(m_folder);
}

std::filesystem::path RunFolder::path() const {
    std::lock_guard guard(m_mutex);
    if (m_tried) return m_folder;
    m_tried = true;
    const std::filesystem::path parent = m_parent.empty() ? scratchFolder(m_dataFolder) : m_parent;
    std::error_code ec;
    std::filesystem::path folder;
    if (!parent.empty() && platform::makeTrustedFolder(parent) == platform::FolderTrust::Trusted) {
        platform::setHidden(parent);
        folder = platform::makePrivateFolder(parent, kRunFolderPrefix, ec);
    }
    if (folder.empty()) {
        // A parent that is a link, not a folder, another user's or open to
        // others could be changed under the run: it goes straight into the
        // system's temporary folder instead, under a name nobody can guess.
        const std::filesystem::path temporary = std::filesystem::temp_directory_path(ec);
        if (!ec) folder = platform::makePrivateFolder(temporary, kRunFolderPrefix, ec);
    }
    if (folder.empty()) return m_folder;
    if (!m_lock.create(folder, kRunMarkerName, ec)) {
        platform::removeTree(folder);
        return m_folder;
    }
    m_folder = folder;
    return m_folder;
}

std::size_t removeAbandonedRunFolders(const std::filesystem::path& parent) {
    const platform::FolderTrust parentTrust = platform::checkFolderTrust(parent);
    if (parentTrust == platform::FolderTrust::Missing || parentTrust == platform::FolderTrust::Link ||
        parentTrust == platform::FolderTrust::NotFolder)
        return 0;
    std::vector<std::filesystem::path> entries;
    if (!platform::listFolder(parent, entries)) return 0;
    std::size_t removed = 0;
    for (const std::filesystem::path& entry : entries) {
        if (platform::pathText(entry.filename()).rfind(kRunFolderPrefix, 0) != 0) continue;
        // Only a real folder of this user, never a link that looks like one.
        if (platform::checkFolderTrust(entry) != platform::FolderTrust::Trusted) continue;
        platform::RunLock lock;
        // No marker: not provably a run's. A held lock: its run still lives.
        if (!lock.takeOver(entry / kRunMarkerName)) continue;
        lock.release();
        if (platform::removeTree(entry)) ++removed;
    }
    return removed;
}

} // namespace orvelle
