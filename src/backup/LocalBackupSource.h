#pragma once
/// The scan source of a backup on disk. It holds only a non-owning pointer to
/// the program's BackupStore and forwards every operation to it (media
/// collection, decryption and manifest, database scans, copies), so it is
/// cheap to make anew for every scan.
///
/// open's progress: 0; then for a plain backup 1 and 1 + 11 = 12 after the
/// manifest; for an encrypted backup the decryption's reports (1 at its
/// first count line, rising while it runs, 1 + 10 = 11 when it ends) and 11
/// again after the manifest.

#include "backup/ScanSource.h"

namespace orvelle {

class LocalBackupSource : public ScanSource {
public:
    /// The decryption program to run (default: the one beside this program).
    void setDecryptProgram(std::filesystem::path program) { m_decryptProgram = std::move(program); }

    Status attach(BackupStore* store) override;
    Status setCallback(ScanCallback callback, void* userData) override;
    Status reserved(std::intptr_t) override { return kStatusOk; }
    bool isLocalBackup(std::intptr_t) override { return true; }
    Status open(std::string_view password) override;
    Status scanMessages(ConversationMap& chats) override;
    Status scanMessageAttachments(std::vector<AttachmentRecord>& attachments) override;
    Status scanContacts(std::vector<ContactRecord>& contacts) override;
    Status scanNotes(std::vector<NoteRecord>& notes) override;
    Status scanCallHistory(std::vector<CallRecord>& calls) override;
    Status scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                          std::vector<MediaFileRecord>& photoStream) override;
    Status scanWhatsAppAttachments(std::vector<MediaFileRecord>& attachments) override;
    Status scanAppFiles(std::vector<AppFileRecord>& appFiles) override;
    Status scanQQ(AccountChatMap& chats) override;
    Status scanWeChat(AccountChatMap& chats) override;
    Status scanWhatsApp(WhatsAppChatMap& chats) override;
    Status scanReminders(std::vector<ReminderRecord>& reminders) override;
    Status scanCalendar(std::vector<CalendarEventRecord>& events) override;
    Status scanBookmarks(std::vector<BookmarkRecord>& bookmarks) override;
    Status makePreviewCopy(const std::filesystem::path& storedPath, std::filesystem::path& previewPath,
                           PreviewProgress function, void* context) override;
    Status copyFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                    CopyProgressFn function, void* context) override;
    Status exportDeletedMessages(const std::filesystem::path& output) override;
    Status exportDeletedContacts(const std::filesystem::path& output) override;
    Status exportMessagesText(const std::filesystem::path&, CopyProgressFn, void*) override {
        return kStatusOk;
    }
    Status exportContactsText(const std::filesystem::path&, CopyProgressFn, void*) override {
        return kStatusOk;
    }
    Status exportCallHistoryText(const std::filesystem::path&, CopyProgressFn, void*) override {
        return kStatusOk;
    }

private:
    BackupStore* m_store = nullptr;
    std::filesystem::path m_decryptProgram;
};

} // namespace orvelle
