#pragma once
/// The result containers of one scan: a list or map per category, filled by
/// the scan source on the worker thread and read by views, export and print.
///
/// Address stability: the selection tally keys its entries by the address of
/// each record (and each group by the address of its container). Once a
/// category has been added to the tally its containers must not change until
/// the tally is cleared. The object itself is neither copyable nor movable
/// for the same reason.

#include "core/Categories.h"
#include "core/ItemRecords.h"

#include <map>
#include <string>
#include <vector>

namespace orvelle {

class SelectionTally;

/// App name -> that app's files, in the order the scan found them.
using AppFileMap = std::map<std::string, std::vector<AppFileRecord>>;

struct ScanResults {
    ScanResults() = default;
    ScanResults(const ScanResults&) = delete;
    ScanResults& operator=(const ScanResults&) = delete;

    std::vector<MediaFileRecord> cameraRoll;
    std::vector<MediaFileRecord> photoStream;
    std::vector<AppFileRecord> appFiles; ///< as scanned; split into the two maps below
    AppFileMap appPhotos;
    AppFileMap appVideos;
    ConversationMap messageChats;
    std::vector<MessageRecord> messageSummaries; ///< one per chat, chats with deleted messages first
    std::vector<AttachmentRecord> messageAttachments;
    std::vector<ContactRecord> contacts;
    std::vector<CallRecord> calls;
    std::vector<NoteRecord> notes;
    WhatsAppChatMap whatsAppChats;
    std::vector<WhatsAppMessageRecord> whatsAppSummaries; ///< one per chat, as messageSummaries
    std::vector<MediaFileRecord> whatsAppAttachments;
    std::vector<ReminderRecord> reminders;
    std::vector<CalendarEventRecord> events;
    std::vector<BookmarkRecord> bookmarks;
    AccountChatMap qqChats;
    std::vector<MessengerChatSummary> qqSummaries; ///< one per conversation, as messageSummaries
    AccountChatMap weChatChats;
    std::vector<MessengerChatSummary> weChatSummaries;

    /// The chats of QQ or WeChat (`kind` one of the two).
    const AccountChatMap& messengerChats(ItemKind kind) const {
        return kind == ItemKind::QQ ? qqChats : weChatChats;
    }
    /// Their conversation summaries.
    const std::vector<MessengerChatSummary>& messengerSummaries(ItemKind kind) const {
        return kind == ItemKind::QQ ? qqSummaries : weChatSummaries;
    }

    /// Empties every container (the tally that refers to them must be cleared too).
    void clear();

    /// First part of a category's completion step, run after its scan
    /// operation returned: builds the chat summaries of Messages, WhatsApp, QQ or WeChat,
    /// or splits the app files for App Photos and App Videos (one split serves
    /// both). Other kinds need nothing. Must run before the category is added
    /// to the tally. Builds only into empty containers, so a repeated call
    /// never moves records that the tally already refers to.
    void prepare(ItemKind kind);
};

/// The number shown beside a category in the tree: the tally node's total for
/// Camera Roll, Photo Stream, App Photos and App Videos (0 when the category
/// is not in the tally), the number of chats for the chat categories, the
/// container's size for the others, 0 for the kinds no scan fills.
std::uint32_t categoryCount(ItemKind kind, const ScanResults& results, const SelectionTally& tally);

} // namespace orvelle
