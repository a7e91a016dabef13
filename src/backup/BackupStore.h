#pragma once
/// The backup store: the one engine object that finds and summarises backups,
/// holds the current backup with its manifest, and collects media from it.
/// It keeps the state; the work is done by small modules (catalogue, manifest,
/// stored-file rule, signatures, media collection, preview copies).
///
/// Not thread-safe: one scan, export or preview uses it at a time.

#include "backup/BackupInfo.h"
#include "backup/ManifestEntry.h"
#include "backup/PreviewCopy.h"
#include "backup/ScanProgress.h"
#include "core/ItemRecords.h"
#include "core/Status.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class RunFolder;

/// Where a store looks for backups and keeps its data.
struct BackupStoreOptions {
    std::vector<std::filesystem::path> backupRoots; ///< searched for backups, in order
    std::filesystem::path dataFolder;               ///< the program's data; created when missing
    /// Where the store's private run folder is made; empty: chosen by free
    /// space below the data folder or a drive root (see ScratchFolder.h).
    std::filesystem::path scratchParent;
};

/// The options of an ordinary run: the system's backup roots and data folder.
BackupStoreOptions defaultBackupStoreOptions();

/// Starting value of both row-id marks.
constexpr std::int64_t kInitialRowIdMark = 20000;

class BackupStore {
public:
    /// Creates the data folder, removes the run folders of runs that died
    /// (see RunFolder.h) and lists the backup roots.
    explicit BackupStore(BackupStoreOptions options = defaultBackupStoreOptions());
    /// Removes the store's run folder: its decrypted and preview copies.
    ~BackupStore();
    BackupStore(const BackupStore&) = delete;
    BackupStore& operator=(const BackupStore&) = delete;

    // --- catalogue ---
    /// One summary per backup found at construction, newest first.
    std::vector<BackupInfo> listBackups() const;
    /// Reads one chosen folder: kStatusOk, or kStatusInvalid without a readable Info.plist.
    Status readBackupFolder(const std::filesystem::path& folder, BackupInfo& out) const;
    /// Makes `info` the current backup; `backupRoot` becomes its folder.
    Status selectBackup(const BackupInfo& info);
    const BackupInfo& currentBackup() const { return m_current; }
    /// The folder stored files are read from (the current backup, or its decrypted copy).
    const std::filesystem::path& backupRoot() const { return m_backupRoot; }
    /// Points the current backup at its decrypted copy: `folder` and `backupRoot` become `folder`.
    void useDecryptedCopy(const std::filesystem::path& folder);
    const std::filesystem::path& dataFolder() const { return m_dataFolder; }
    /// The store's private folder for decrypted and preview copies, made at
    /// the first call and removed with the store (see RunFolder.h); empty
    /// when no private folder can be made.
    std::filesystem::path runFolder() const;
    /// The folder for a decrypted copy, inside runFolder(); empty without one.
    std::filesystem::path decryptedCopyFolder() const;
    /// Why the last open of the current backup failed, in words (the
    /// decryption program's reason); empty when it did not fail or gave none.
    const std::string& openProblem() const { return m_openProblem; }
    void setOpenProblem(std::string text) { m_openProblem = std::move(text); }
    /// Paths found under the backup roots at construction.
    const std::vector<std::filesystem::path>& candidates() const { return m_candidates; }
    void clearCandidates() { m_candidates.clear(); }

    // --- manifest ---
    /// Empties the manifest list.
    void clearManifest() { m_manifest.clear(); }
    /// Reads the manifest of `backupFolder` into the (emptied) manifest list and
    /// sets `twoLevelLayout`. The decrypted manifest is looked for first in
    /// `decryptedCopyFolder` (when given), then in the backup folder.
    Status loadManifest(const std::filesystem::path& backupFolder,
                        const std::filesystem::path& decryptedCopyFolder = {});
    const ManifestList& manifest() const { return m_manifest; }
    bool twoLevelLayout() const { return m_twoLevelLayout; }
    void setTwoLevelLayout(bool twoLevel) { m_twoLevelLayout = twoLevel; }
    /// The stored file of `fileId` in the current backup; empty for a malformed ID.
    std::filesystem::path storedFilePath(std::string_view fileId) const;
    /// The stored file of the write-ahead log that the manifest lists beside
    /// the database stored at `storedDatabase` (same domain, its relative path
    /// + "-wal"); empty when the manifest lists none.
    std::filesystem::path writeAheadLogPath(const std::filesystem::path& storedDatabase) const;

    // --- progress ---
    void setCallback(ScanCallback callback, void* userData) { m_progress.setCallback(callback, userData); }
    ScanProgress& progress() { return m_progress; }
    const ScanProgress& progress() const { return m_progress; }

    // --- media ---
    /// Camera Roll and Photo Stream media. kStatusOk or the callback's stop answer.
    Status scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                          std::vector<MediaFileRecord>& photoStream);
    /// Message attachments. kStatusOk or the stop answer.
    Status scanMessageAttachments(std::vector<AttachmentRecord>& attachments);
    /// App photos, videos and sounds; refills the WhatsApp attachment list.
    Status scanAppFiles(std::vector<AppFileRecord>& appFiles);
    /// WhatsApp media found by the last scanAppFiles.
    const std::vector<MediaFileRecord>& whatsAppAttachments() const { return m_whatsAppAttachments; }
    /// Stored files the media scans refused since the manifest was loaded (a
    /// FIFO, device, socket or link where a file should be), each once, in
    /// device-path order.
    const std::vector<SkippedFile>& skippedFiles() const { return m_skippedFiles; }
    /// Copies a stored file to the preview file of its kind in runFolder().
    Status makePreviewCopy(const std::filesystem::path& storedPath, std::filesystem::path& previewPath,
                           PreviewProgress function, void* context) const;

    // --- row-id marks (largest live row ids the decoders saw) ---
    std::int64_t largestMessageRowId() const { return m_largestMessageRowId; }
    void setLargestMessageRowId(std::int64_t rowId) { m_largestMessageRowId = rowId; }
    std::int64_t largestAddressBookRowId() const { return m_largestAddressBookRowId; }
    void setLargestAddressBookRowId(std::int64_t rowId) { m_largestAddressBookRowId = rowId; }

private:
    std::vector<std::filesystem::path> m_candidates;
    std::filesystem::path m_dataFolder;
    std::filesystem::path m_backupRoot;
    BackupInfo m_current;
    std::string m_openProblem;
    ManifestList m_manifest;
    bool m_twoLevelLayout = false;
    ScanProgress m_progress;
    std::vector<MediaFileRecord> m_whatsAppAttachments;
    std::vector<SkippedFile> m_skippedFiles;
    std::int64_t m_largestMessageRowId = kInitialRowIdMark;
    std::int64_t m_largestAddressBookRowId = kInitialRowIdMark;
    std::unique_ptr<RunFolder> m_runFolder;
};

} // namespace orvelle
