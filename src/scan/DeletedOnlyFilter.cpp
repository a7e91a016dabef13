#include "scan/DeletedOnlyFilter.h"

#include "scan/SelectionTally.h"
#include "scan/ScanResults.h"

namespace orvelle {

namespace {

const char kFilterIdentity = 0;

template <typename Record>
std::uint32_t apply(const std::vector<Record>& records, bool on, SelectionTally& tally) {
    std::uint32_t hidden = 0;
    for (const Record& record : records) {
        if (record.deleted != kLive) continue;
        if (tally.setHidden(&record, on ? deletedOnlyFilter() : nullptr) && on) ++hidden;
    }
    return hidden;
}

} // namespace

const void* deletedOnlyFilter() {
    return &kFilterIdentity;
}

std::uint32_t setDeletedOnly(ItemKind kind, bool on, const ScanResults& results, SelectionTally& tally) {
    switch (kind) {
    case ItemKind::Messages:
        return apply(results.messageSummaries, on, tally);
    case ItemKind::Contacts:
        return apply(results.contacts, on, tally);
    case ItemKind::CallHistory:
        return apply(results.calls, on, tally);
    case ItemKind::Notes:
        return apply(results.notes, on, tally);
    case ItemKind::WhatsApp:
        return apply(results.whatsAppSummaries, on, tally);
    case ItemKind::Reminder:
        return apply(results.reminders, on, tally);
    case ItemKind::Calendar:
        return apply(results.events, on, tally);
    case ItemKind::SafariBookmark:
        return apply(results.bookmarks, on, tally);
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return apply(results.messengerSummaries(kind), on, tally);
    default:
        return 0;
    }
}

} // namespace orvelle
