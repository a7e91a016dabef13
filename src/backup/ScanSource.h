#pragma once
/// The scan source: the one interface through which a scan, an export and a
/// preview reach a backup (or, later, a connected device). Operations are
/// declared in their fixed slot order; each answers a 32-bit status.
///
/// Calling order for a scan: `attach` (by the factory) and `setCallback` on the
/// user-interface thread; then on the scan thread `open` and, for the ticked
/// categories only: scanCameraRoll, scanMessages, scanMessageAttachments,
/// scanContacts, scanCallHistory, scanNotes, scanAppFiles, scanWhatsApp,
/// scanWhatsAppAttachments, scanReminders, scanCalendar, scanBookmarks.
/// kStatusStopped from any of them ends the scan.
///
/// Progress: every operation reports through the callback set by
/// `setCallback`; a non-zero answer stops the running operation at its next
/// report and becomes its result; what the caller's containers already hold
/// stays there.

#include "backup/PreviewCopy.h"
#include "backup/ScanCallback.h"
#include "core/ItemRecords.h"
#include "core/Status.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class BackupStore;

/// Progress of one copied file: (context, percent, status, destination) ->
/// 0 to go on, non-zero to stop. The export's FileProgressFn is the same type.
using CopyProgressFn = int (*)(void* context, int percent, Status status, const std::filesystem::path& path);

/// The kinds of source the factory makes.
enum class ScanSourceType : int {
    Device = 0,      ///< a connected device (room kept for it; every operation fails)
    LocalBackup = 1, ///< a backup folder on disk, read through the BackupStore
};

class ScanSource {
public:
    // slot 0
    /// Keeps the (non-owning) store the source reads from.
    virtual Status attach(BackupStore* store) = 0;
    // slot 1
    /// Stores the progress callback and its user data in the store.
    virtual Status setCallback(ScanCallback callback, void* userData) = 0;
    // slot 2
    /// Reserved; answers 0.
    virtual Status reserved(std::intptr_t argument) = 0;
    // slot 3
    /// True for a backup on disk, false for a device.
    virtual bool isLocalBackup(std::intptr_t ignored) = 0;
    // slot 4
    /// Opens the current backup (decrypting it with `password` when it is
    /// encrypted) and loads its manifest. 0, kStatusStopped,
    /// kStatusWrongPassword, kStatusInvalid, a manifest status, or, when the
    /// backup cannot be opened at all, kStatusEncryptionDamaged (its keybag or
    /// manifest is damaged) or kStatusFailed; the store's openProblem() then
    /// says why when the decryption program told.
    virtual Status open(std::string_view password) = 0;
    // slot 5
    /// Message conversations (the map is replaced).
    virtual Status scanMessages(ConversationMap& chats) = 0;
    // slot 6
    /// Message attachments found in the manifest.
    virtual Status scanMessageAttachments(std::vector<AttachmentRecord>& attachments) = 0;
    // slot 7
    /// Address-book contacts.
    virtual Status scanContacts(std::vector<ContactRecord>& contacts) = 0;
    // slot 8
    /// Notes.
    virtual Status scanNotes(std::vector<NoteRecord>& notes) = 0;
    // slot 9
    /// Call history.
    virtual Status scanCallHistory(std::vector<CallRecord>& calls) = 0;
    // slot 10
    /// Camera Roll and Photo Stream media.
    virtual Status scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                                  std::vector<MediaFileRecord>& photoStream) = 0;
    // slot 11
    /// WhatsApp media collected by the last scanAppFiles of this scan (empty before).
    virtual Status scanWhatsAppAttachments(std::vector<MediaFileRecord>& attachments) = 0;
    // slot 12
    /// Photos, videos and sounds kept by apps.
    virtual Status scanAppFiles(std::vector<AppFileRecord>& appFiles) = 0;
    // slot 13
    /// QQ chats per account: the folder that holds each QQ.db -> its conversations (the map is replaced).
    virtual Status scanQQ(AccountChatMap& chats) = 0;
    // slot 14
    /// WeChat chats per account: "User1", "User2" ... in manifest order of each
    /// MM.sqlite -> its conversations, with those of the message files and
    /// contact file beside it (the map is replaced).
    virtual Status scanWeChat(AccountChatMap& chats) = 0;
    // slot 15
    /// WhatsApp conversations (the map is replaced).
    virtual Status scanWhatsApp(WhatsAppChatMap& chats) = 0;
    // slot 16
    /// Copies a stored media file to the preview file of its kind.
    virtual Status makePreviewCopy(const std::filesystem::path& storedPath,
                                   std::filesystem::path& previewPath, PreviewProgress function,
                                   void* context) = 0;
    // slot 17
    /// Copies a stored file in 64 KiB chunks, reporting after each chunk.
    virtual Status copyFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                            CopyProgressFn function, void* context) = 0;
    // slot 18
    /// Appends the message table's rows (deleted ones included) as SQL values.
    virtual Status exportDeletedMessages(const std::filesystem::path& output) = 0;
    // slot 19
    /// Appends the address book's rows (deleted ones included) as SQL values.
    virtual Status exportDeletedContacts(const std::filesystem::path& output) = 0;
    // slots 20-22
    /// Text exports without a caller; they write nothing and answer 0.
    virtual Status exportMessagesText(const std::filesystem::path& output, CopyProgressFn function,
                                      void* context) = 0;
    virtual Status exportContactsText(const std::filesystem::path& output, CopyProgressFn function,
                                      void* context) = 0;
    virtual Status exportCallHistoryText(const std::filesystem::path& output, CopyProgressFn function,
                                         void* context) = 0;
    // slot 23
    /// Reminders (of the calendar database and of the Reminders app's stores).
    virtual Status scanReminders(std::vector<ReminderRecord>& reminders) = 0;
    // slot 24
    /// Calendar events.
    virtual Status scanCalendar(std::vector<CalendarEventRecord>& events) = 0;
    // slot 25
    /// Safari bookmarks and reading list.
    virtual Status scanBookmarks(std::vector<BookmarkRecord>& bookmarks) = 0;
    // slot 26
    /// Destroys the source, never the store.
    virtual ~ScanSource() = default;
};

/// A new source of `type` attached to `store`: a LocalBackupSource for
/// type 1, a DeviceSource for type 0, none for any other type.
std::unique_ptr<ScanSource> createScanSource(int type, BackupStore* store);

} // namespace orvelle
