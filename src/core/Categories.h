#pragma once
/// The categories of a scan, in the order they are shown, and the ItemKind
/// numbers by which scans and the selection tally tell them apart. The
/// category page offers the first fourteen; QQ and WeChat have no option
/// there and are read whenever the apps' databases are present.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace orvelle {

enum class ItemKind : int {
    None = 0, ///< no category (a group, or nothing chosen)
    CameraRoll = 1,
    PhotoStream = 2,
    AppPhotos = 3,
    AppVideos = 4,
    Messages = 5,
    MessageAttachments = 6,
    Contacts = 7,
    CallHistory = 8,
    Notes = 9,
    WhatsApp = 10,
    WhatsAppAttachments = 11,
    Reminder = 12,
    Calendar = 13,
    SafariBookmark = 14,
    QQ = 15,
    WeChat = 16,
};

/// One past the highest ItemKind: the size of tables indexed by kind.
inline constexpr std::size_t kItemKindCount = 17;

enum class CategoryGroup { PhotosAndVideos, MessagesAndCallLogs };

struct CategoryInfo {
    ItemKind kind;
    std::string_view optionControl; ///< control name on the category page; empty: not offered there
    std::string_view treeLabel;     ///< label without the count, e.g. "Camera Roll"
    std::string_view cliName;       ///< name on the command line and in JSON
    CategoryGroup group;
};

inline constexpr std::array<CategoryInfo, 16> kCategories{{
    {ItemKind::CameraRoll, "OptCameraRoll", "Camera Roll", "camera-roll", CategoryGroup::PhotosAndVideos},
    {ItemKind::PhotoStream, "OptPhotoStream", "Photo Stream", "photo-stream", CategoryGroup::PhotosAndVideos},
    {ItemKind::AppPhotos, "OptAppPhotos", "App Photos", "app-photos", CategoryGroup::PhotosAndVideos},
    {ItemKind::AppVideos, "OptAppVideos", "App Videos", "app-videos", CategoryGroup::PhotosAndVideos},
    {ItemKind::Messages, "OptMessages", "Messages", "messages", CategoryGroup::MessagesAndCallLogs},
    {ItemKind::MessageAttachments, "OptMessageAtts", "Messages Attachments", "message-attachments",
     CategoryGroup::MessagesAndCallLogs},
    {ItemKind::Contacts, "OptContacts", "Contacts", "contacts", CategoryGroup::MessagesAndCallLogs},
    {ItemKind::CallHistory, "OptCallHistory", "Call History", "call-history",
     CategoryGroup::MessagesAndCallLogs},
    {ItemKind::Notes, "OptNotes", "Notes", "notes", CategoryGroup::MessagesAndCallLogs},
    {ItemKind::WhatsApp, "WhatsApp", "WhatsApp", "whatsapp", CategoryGroup::MessagesAndCallLogs},
    {ItemKind::WhatsAppAttachments, "OptWhatsAppAtts", "WhatsApp Attachments", "whatsapp-attachments",
     CategoryGroup::MessagesAndCallLogs},
    {ItemKind::Reminder, "OptReminder", "Reminder", "reminder", CategoryGroup::MessagesAndCallLogs},
    {ItemKind::Calendar, "OptCalendar", "Calendar", "calendar", CategoryGroup::MessagesAndCallLogs},
    {ItemKind::SafariBookmark, "SafariBookmark", "Safari Bookmark", "safari-bookmark",
     CategoryGroup::MessagesAndCallLogs},
    {ItemKind::QQ, "", "QQ", "qq", CategoryGroup::MessagesAndCallLogs},
    {ItemKind::WeChat, "", "WeChat", "wechat", CategoryGroup::MessagesAndCallLogs},
}};

/// True for the categories the category page offers as options.
constexpr bool onCategoryPage(const CategoryInfo& category) {
    return !category.optionControl.empty();
}

/// True for the chat apps that keep one conversation list per account (QQ, WeChat).
constexpr bool isMessengerKind(ItemKind kind) {
    return kind == ItemKind::QQ || kind == ItemKind::WeChat;
}

/// True for the categories read from databases: their items are records that
/// may be deleted ones, and they have documents, a print page and the
/// deleted-only switch. The others are files.
constexpr bool holdsRecords(ItemKind kind) {
    switch (kind) {
    case ItemKind::Messages:
    case ItemKind::Contacts:
    case ItemKind::CallHistory:
    case ItemKind::Notes:
    case ItemKind::WhatsApp:
    case ItemKind::Reminder:
    case ItemKind::Calendar:
    case ItemKind::SafariBookmark:
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return true;
    default:
        return false;
    }
}

/// The category with the given command-line name, if any.
inline std::optional<CategoryInfo> categoryByCliName(std::string_view name) {
    for (const auto& c : kCategories)
        if (c.cliName == name) return c;
    return std::nullopt;
}

} // namespace orvelle
