#pragma once
/// A scan source for tests that reads nothing: every operation answers
/// kStatusOk and leaves its containers as they are, and isLocalBackup says
/// true. It keeps the callback handed to setCallback; a test's source derives
/// from it, overrides only the operations its story needs and reports
/// progress through report().

#include "backup/ScanSource.h"

namespace orvelle::test {

class FakeScanSource : public ScanSource {
public:
    Status attach(BackupStore* store) override;
    Status setCallback(ScanCallback callback, void* userData) override;
    Status reserved(std::intptr_t argument) override;
    bool isLocalBackup(std::intptr_t ignored) override;
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
    Status exportMessagesText(const std::filesystem::path& output, CopyProgressFn function,
                              void* context) override;
    Status exportContactsText(const std::filesystem::path& output, CopyProgressFn function,
                              void* context) override;
    Status exportCallHistoryText(const std::filesystem::path& output, CopyProgressFn function,
                                 void* context) override;

protected:
    /// Reports `progress` through the kept callback and passes on its answer
    /// (0 to go on); 0 when no callback was set.
    std::int32_t report(std::int32_t progress);

private:
    ScanCallback m_callback = nullptr;
    void* m_userData = nullptr;
};

} // namespace orvelle::test
