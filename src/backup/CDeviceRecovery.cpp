#include "backup/CDeviceRecovery.h"

namespace orvelle {

namespace {

template <typename Container> Status nothing(Container& out) {
    out.clear();
    return kStatusFailed;
}

} // namespace

Status CDeviceRecovery::scanMessages(ConversationMap& chats) {
    return nothing(chats);
}
Status CDeviceRecovery::scanMessageAttachments(std::vector<AttachmentRecord>& a) {
    return nothing(a);
}
Status CDeviceRecovery::scanContacts(std::vector<ContactRecord>& c) {
    return nothing(c);
}
Status CDeviceRecovery::scanNotes(std::vector<NoteRecord>& n) {
    return nothing(n);
}
Status CDeviceRecovery::scanCallHistory(std::vector<CallRecord>& c) {
    return nothing(c);
}
Status CDeviceRecovery::scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                                       std::vector<MediaFileRecord>& photoStream) {
    photoStream.clear();
    return nothing(cameraRoll);
}
Status CDeviceRecovery::scanWhatsAppAttachments(std::vector<MediaFileRecord>& a) {
    return nothing(a);
}
Status CDeviceRecovery::scanAppFiles(std::vector<AppFileRecord>& a) {
    return nothing(a);
}
Status CDeviceRecovery::scanQQ(AccountChatMap& c) {
    return nothing(c);
}
Status CDeviceRecovery::scanWeChat(AccountChatMap& c) {
    return nothing(c);
}
Status CDeviceRecovery::scanWhatsApp(WhatsAppChatMap& c) {
    return nothing(c);
}

} // namespace orvelle
