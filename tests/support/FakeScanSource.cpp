#include "support/FakeScanSource.h"

namespace orvelle::test {

Status FakeScanSource::attach(BackupStore*) { return kStatusOk; }

Status FakeScanSource::setCallback(ScanCallback callback, void* userData) {
    m_callback = callback;
    m_userData = userData;
    return kStatusOk;
}

Status FakeScanSource::reserved(std::intptr_t) { return kStatusOk; }
bool FakeScanSource::isLocalBackup(std::intptr_t) { return true; }
Status FakeScanSource::open(std::string_view) { return kStatusOk; }
Status FakeScanSource::scanMessages(ConversationMap&) { return kStatusOk; }
Status FakeScanSource::scanMessageAttachments(std::vector<AttachmentRecord>&) { return kStatusOk; }
Status FakeScanSource::scanContacts(std::vector<ContactRecord>&) { return kStatusOk; }
Status FakeScanSource::scanNotes(std::vector<NoteRecord>&) { return kStatusOk; }
Status FakeScanSource::scanCallHistory(std::vector<CallRecord>&) { return kStatusOk; }
Status FakeScanSource::scanCameraRoll(std::vector<MediaFileRecord>&, std::vector<MediaFileRecord>&) {
    return kStatusOk;
}
Status FakeScanSource::scanWhatsAppAttachments(std::vector<MediaFileRecord>&) { return kStatusOk; }
Status FakeScanSource::scanAppFiles(std::vector<AppFileRecord>&) { return kStatusOk; }
Status FakeScanSource::scanQQ(AccountChatMap&) { return kStatusOk; }
Status FakeScanSource::scanWeChat(AccountChatMap&) { return kStatusOk; }
Status FakeScanSource::scanWhatsApp(WhatsAppChatMap&) { return kStatusOk; }
Status FakeScanSource::scanReminders(std::vector<ReminderRecord>&) { return kStatusOk; }
Status FakeScanSource::scanCalendar(std::vector<CalendarEventRecord>&) { return kStatusOk; }
Status FakeScanSource::scanBookmarks(std::vector<BookmarkRecord>&) { return kStatusOk; }

Status FakeScanSource::makePreviewCopy(const std::filesystem::path&, std::filesystem::path&, PreviewProgress,
                                       void*) {
    return kStatusOk;
}

Status FakeScanSource::copyFile(const std::filesystem::path&, const std::filesystem::path&, CopyProgressFn,
                                void*) {
    return kStatusOk;
}

Status FakeScanSource::exportDeletedMessages(const std::filesystem::path&) { return kStatusOk; }
Status FakeScanSource::exportDeletedContacts(const std::filesystem::path&) { return kStatusOk; }
Status FakeScanSource::exportMessagesText(const std::filesystem::path&, CopyProgressFn, void*) { return kStatusOk; }
Status FakeScanSource::exportContactsText(const std::filesystem::path&, CopyProgressFn, void*) { return kStatusOk; }
Status FakeScanSource::exportCallHistoryText(const std::filesystem::path&, CopyProgressFn, void*) {
    return kStatusOk;
}

std::int32_t FakeScanSource::report(std::int32_t progress) {
    return m_callback ? m_callback(m_userData, progress) : 0;
}

} // namespace orvelle::test
