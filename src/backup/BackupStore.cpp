#include "backup/BackupStore.h"

#include "backup/BackupCatalogue.h"
#include "backup/ManifestLoader.h"
#include "backup/MediaCollector.h"
#include "backup/StoredFileRule.h"
#include "backup/encryption/RunFolder.h"
#include "backup/encryption/ScratchFolder.h"
#include "platform/AppFolders.h"
#include "platform/Folder.h"
#include "platform/PathText.h"

#include <algorithm>

namespace orvelle {

BackupStoreOptions defaultBackupStoreOptions() {
    BackupStoreOptions options;
    options.backupRoots = platform::defaultBackupRoots();
    options.dataFolder = platform::dataFolder();
    return options;
}

BackupStore::BackupStore(BackupStoreOptions options)
    : m_dataFolder(std::move(options.dataFolder)),
      m_runFolder(std::make_unique<RunFolder>(m_dataFolder, options.scratchParent)) {
    if (!options.backupRoots.empty()) m_backupRoot = options.backupRoots.front();
    if (!m_dataFolder.empty()) platform::createFolders(m_dataFolder);
    // Copies left by runs that died; the folders of live runs stay.
    std::vector<std::filesystem::path> parents;
    if (options.scratchParent.empty()) {
        parents = runFolderParents(m_dataFolder);
    } else {
        parents.push_back(options.scratchParent);
        std::error_code ec;
        if (auto temporary = std::filesystem::temp_directory_path(ec); !ec) parents.push_back(temporary);
    }
    for (const std::filesystem::path& parent : parents)
        removeAbandonedRunFolders(parent);
    enumerateCandidates(options.backupRoots, m_candidates);
}

// The run folder goes with m_runFolder: the copies never outlive the store.
BackupStore::~BackupStore() = default;

std::filesystem::path BackupStore::runFolder() const {
    return m_runFolder->path();
}

std::filesystem::path BackupStore::decryptedCopyFolder() const {
    const std::filesystem::path folder = m_runFolder->path();
    return folder.empty() ? folder : folder / kDecryptOutputFolderName;
}

std::vector<BackupInfo> BackupStore::listBackups() const {
    return orvelle::listBackups(m_candidates);
}

Status BackupStore::readBackupFolder(const std::filesystem::path& folder, BackupInfo& out) const {
    return orvelle::readBackupFolder(folder, out);
}

Status BackupStore::selectBackup(const BackupInfo& info) {
    m_current = info;
    m_backupRoot = platform::utf8Path(info.folder);
    return kStatusOk;
}

void BackupStore::useDecryptedCopy(const std::filesystem::path& folder) {
    m_current.folder = platform::pathText(folder);
    m_backupRoot = folder;
}

Status BackupStore::loadManifest(const std::filesystem::path& backupFolder,
                                 const std::filesystem::path& decryptedCopyFolder) {
    m_manifest.clear();
    m_skippedFiles.clear();
    const ManifestLoadResult result = orvelle::loadManifest(backupFolder, decryptedCopyFolder, m_manifest);
    m_twoLevelLayout = result.twoLevelLayout;
    return result.status;
}

namespace {

/// A file may be met by two collections (an app's attachment): named once.
void keepSkippedFilesOnce(std::vector<SkippedFile>& files) {
    std::stable_sort(files.begin(), files.end(), [](const SkippedFile& a, const SkippedFile& b) {
        return a.domainPath != b.domainPath ? a.domainPath < b.domainPath : a.fileId < b.fileId;
    });
    files.erase(std::unique(files.begin(), files.end(),
                            [](const SkippedFile& a, const SkippedFile& b) { return a.fileId == b.fileId; }),
                files.end());
}

} // namespace

std::filesystem::path BackupStore::storedFilePath(std::string_view fileId) const {
    return orvelle::storedFilePath(m_backupRoot, fileId, storedLayout(m_current.encrypted, m_twoLevelLayout));
}

std::filesystem::path BackupStore::writeAheadLogPath(const std::filesystem::path& storedDatabase) const {
    // Stored files are named by their file ID in every layout.
    const std::string fileId = platform::pathText(storedDatabase.filename());
    const auto database = std::find_if(m_manifest.begin(), m_manifest.end(),
                                       [&fileId](const ManifestEntry& entry) { return entry.fileId == fileId; });
    if (fileId.empty() || database == m_manifest.end()) return {};
    const std::string logPath = database->domainPath + "-wal";
    const auto log = std::find_if(m_manifest.begin(), m_manifest.end(),
                                  [&logPath](const ManifestEntry& entry) { return entry.domainPath == logPath; });
    return log == m_manifest.end() ? std::filesystem::path() : storedFilePath(log->fileId);
}

Status BackupStore::scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                                   std::vector<MediaFileRecord>& photoStream) {
    MediaCollector collector({m_manifest, m_backupRoot, storedLayout(m_current.encrypted, m_twoLevelLayout),
                              &m_skippedFiles},
                             m_progress);
    const Status status = collector.scanCameraRoll(cameraRoll, photoStream);
    keepSkippedFilesOnce(m_skippedFiles);
    return status;
}

Status BackupStore::scanMessageAttachments(std::vector<AttachmentRecord>& attachments) {
    MediaCollector collector({m_manifest, m_backupRoot, storedLayout(m_current.encrypted, m_twoLevelLayout),
                              &m_skippedFiles},
                             m_progress);
    const Status status = collector.scanMessageAttachments(attachments);
    keepSkippedFilesOnce(m_skippedFiles);
    return status;
}

Status BackupStore::scanAppFiles(std::vector<AppFileRecord>& appFiles) {
    MediaCollector collector({m_manifest, m_backupRoot, storedLayout(m_current.encrypted, m_twoLevelLayout),
                              &m_skippedFiles},
                             m_progress);
    const Status status = collector.scanAppFiles(appFiles, m_whatsAppAttachments);
    keepSkippedFilesOnce(m_skippedFiles);
    return status;
}

Status BackupStore::makePreviewCopy(const std::filesystem::path& storedPath,
                                    std::filesystem::path& previewPath, PreviewProgress function,
                                    void* context) const {
    return orvelle::makePreviewCopy(storedPath, m_runFolder->path(), previewPath, function, context);
}

} // namespace orvelle
