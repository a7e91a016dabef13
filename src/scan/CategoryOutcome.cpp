#include "scan/CategoryOutcome.h"

#include "core/ProblemText.h"

namespace orvelle {

CategoryOutcome categoryOutcome(ItemKind kind, Status status) {
    CategoryOutcome outcome;
    outcome.status = status;
    switch (status) {
    case kStatusOk:
        outcome.state = CategoryState::found;
        break;
    case kStatusFileMissing:
        outcome.state = CategoryState::missing;
        break;
    case kStatusStopped:
        outcome.state = CategoryState::stopped;
        break;
    default:
        outcome.state = CategoryState::unreadable;
        outcome.reason = std::string(categorySourceName(kind)) + ": " + problemText(status);
        break;
    }
    return outcome;
}

CategoryOutcome manifestUnreadable(std::string_view manifestText) {
    CategoryOutcome outcome;
    outcome.state = CategoryState::unreadable;
    outcome.status = kStatusInvalid;
    outcome.reason = "the manifest cannot be read: " + std::string(manifestText);
    return outcome;
}

bool readThroughManifest(ItemKind kind) {
    switch (kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream:
    case ItemKind::AppPhotos:
    case ItemKind::AppVideos:
    case ItemKind::MessageAttachments:
    case ItemKind::WhatsApp:
    case ItemKind::WhatsAppAttachments:
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return true;
    default:
        return false;
    }
}

std::string_view categorySourceName(ItemKind kind) {
    switch (kind) {
    case ItemKind::Messages:
        return "sms.db";
    case ItemKind::Contacts:
        return "AddressBook.sqlitedb";
    case ItemKind::CallHistory:
        return "the call history database";
    case ItemKind::Notes:
        return "notes.sqlite";
    case ItemKind::WhatsApp:
        return "ChatStorage.sqlite";
    case ItemKind::Reminder:
        return "the reminders databases";
    case ItemKind::Calendar:
        return "Calendar.sqlitedb";
    case ItemKind::SafariBookmark:
        return "Bookmarks.db";
    case ItemKind::QQ:
        return "QQ.db";
    case ItemKind::WeChat:
        return "MM.sqlite";
    default:
        return "the manifest";
    }
}

std::string outcomeText(const CategoryOutcome& outcome) {
    switch (outcome.state) {
    case CategoryState::missing:
        return "not in this backup";
    case CategoryState::unreadable:
        return "could not be read: " + outcome.reason;
    default:
        return std::string(stateName(outcome.state));
    }
}

std::string_view stateName(CategoryState state) {
    switch (state) {
    case CategoryState::found:
        return "found";
    case CategoryState::missing:
        return "missing";
    case CategoryState::unreadable:
        return "unreadable";
    case CategoryState::stopped:
        return "stopped";
    case CategoryState::notScanned:
        break;
    }
    return "not scanned";
}

} // namespace orvelle
