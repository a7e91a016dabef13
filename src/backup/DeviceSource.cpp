#include "backup/DeviceSource.h"

namespace orvelle {

namespace {

template <typename Container> Status nothing(Container& out) {
    out.clear();
    return kStatusFailed;
}

} // namespace

Status DeviceSource::scanMessages(ConversationMap& chats) {
    return nothing(chats);
}
Status DeviceSource::scanMessageAttachments(std::vector<AttachmentRecord>& a) {
    return nothing(a);
}
Status DeviceSource::scanContacts(std::vector<ContactRecord>& c) {
    return nothing(c);
}
Status DeviceSource::scanNotes(std::vector<NoteRecord>& n) {
    return nothing(n);
}
Status DeviceSource::scanCallHistory(std::vector<CallRecord>& c) {
    return nothing(c);
}
Status DeviceSource::scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                                       std::vector<MediaFileRecord>& photoStream) {
    photoStream.clear();
    return nothing(cameraRoll);
}
Status DeviceSource::scanWhatsAppAttachments(std::vector<MediaFileRecord>& a) {
    return nothing(a);
}
Status DeviceSource::scanAppFiles(std::vector<AppFileRecord>& a) {
    return nothing(a);
}
Status DeviceSource::scanQQ(AccountChatMap& c) {
    return nothing(c);
}
Status DeviceSource::scanWeChat(AccountChatMap& c) {
    return nothing(c);
}
Status DeviceSource::scanWhatsApp(WhatsAppChatMap& c) {
    return nothing(c);
}
Status DeviceSource::scanReminders(std::vector<ReminderRecord>& r) {
    return nothing(r);
}
Status DeviceSource::scanCalendar(std::vector<CalendarEventRecord>& e) {
    return nothing(e);
}
Status DeviceSource::scanBookmarks(std::vector<BookmarkRecord>& b) {
    return nothing(b);
}

} // namespace orvelle
