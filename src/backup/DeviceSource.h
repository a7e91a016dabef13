#pragma once
/// The scan source of a connected device. Reading a device is not available
/// yet: the class keeps the interface's room for it. open answers
/// kStatusFailed and every other operation fails likewise, leaving the
/// caller's containers empty; isLocalBackup answers false.

#include "backup/ScanSource.h"

namespace orvelle {

class DeviceSource : public ScanSource {
public:
    Status attach(BackupStore*) override { return kStatusOk; }
    Status setCallback(ScanCallback, void*) override { return kStatusOk; }
    Status reserved(std::intptr_t) override { return kStatusOk; }
    bool isLocalBackup(std::intptr_t) override { return false; }
    Status open(std::string_view) override { return kStatusFailed; }
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
    Status makePreviewCopy(const std::filesystem::path&, std::filesystem::path&, PreviewProgress,
                           void*) override {
        return kStatusFailed;
    }
    Status copyFile(const std::filesystem::path&, const std::filesystem::path&, CopyProgressFn,
                    void*) override {
        return kStatusFailed;
    }
    Status exportDeletedMessages(const std::filesystem::path&) override { return kStatusFailed; }
    Status exportDeletedContacts(const std::filesystem::path&) override { return kStatusFailed; }
    Status exportMessagesText(const std::filesystem::path&, CopyProgressFn, void*) override {
        return kStatusFailed;
    }
    Status exportContactsText(const std::filesystem::path&, CopyProgressFn, void*) override {
        return kStatusFailed;
    }
    Status exportCallHistoryText(const std::filesystem::path&, CopyProgressFn, void*) override {
        return kStatusFailed;
    }
};

} // namespace orvelle
