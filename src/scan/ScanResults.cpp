#include "scan/ScanResults.h"

#include "scan/AppFileSplit.h"
#include "scan/SelectionTally.h"
#include "scan/ChatSummaries.h"

namespace orvelle {

void ScanResults::clear() {
    cameraRoll.clear();
    photoStream.clear();
    appFiles.clear();
    appPhotos.clear();
    appVideos.clear();
    messageChats.clear();
    messageSummaries.clear();
    messageAttachments.clear();
    contacts.clear();
    calls.clear();
    notes.clear();
    whatsAppChats.clear();
    whatsAppSummaries.clear();
    whatsAppAttachments.clear();
    reminders.clear();
    events.clear();
    bookmarks.clear();
    qqChats.clear();
    qqSummaries.clear();
    weChatChats.clear();
    weChatSummaries.clear();
}

void ScanResults::prepare(ItemKind kind) {
    switch (kind) {
    case ItemKind::Messages:
        if (messageSummaries.empty()) messageSummaries = buildMessageSummaries(messageChats);
        break;
    case ItemKind::WhatsApp:
        if (whatsAppSummaries.empty()) whatsAppSummaries = buildWhatsAppSummaries(whatsAppChats);
        break;
    case ItemKind::QQ:
        if (qqSummaries.empty()) qqSummaries = buildMessengerSummaries(qqChats);
        break;
    case ItemKind::WeChat:
        if (weChatSummaries.empty()) weChatSummaries = buildMessengerSummaries(weChatChats);
        break;
    case ItemKind::AppPhotos:
    case ItemKind::AppVideos:
        if (appPhotos.empty() && appVideos.empty()) splitAppFiles(appFiles, appPhotos, appVideos);
        break;
    default:
        break;
    }
}

std::uint32_t categoryCount(ItemKind kind, const ScanResults& results, const SelectionTally& tally) {
    auto count = [](const auto& list) { return static_cast<std::uint32_t>(list.size()); };
    switch (kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream:
    case ItemKind::AppPhotos:
    case ItemKind::AppVideos: {
        const TallyNode* node = tally.categoryNode(kind);
        return node ? node->total : 0;
    }
    case ItemKind::Messages:
        return count(results.messageSummaries);
    case ItemKind::MessageAttachments:
        return count(results.messageAttachments);
    case ItemKind::Contacts:
        return count(results.contacts);
    case ItemKind::CallHistory:
        return count(results.calls);
    case ItemKind::Notes:
        return count(results.notes);
    case ItemKind::WhatsApp:
        return count(results.whatsAppSummaries);
    case ItemKind::WhatsAppAttachments:
        return count(results.whatsAppAttachments);
    case ItemKind::Reminder:
        return count(results.reminders);
    case ItemKind::Calendar:
        return count(results.events);
    case ItemKind::SafariBookmark:
        return count(results.bookmarks);
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return count(results.messengerSummaries(kind));
    case ItemKind::None:
        break;
    }
    return 0;
}

} // namespace orvelle
