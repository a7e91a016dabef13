#pragma once
/// The item records a scan produces, one kind per category. Records are plain
/// values: they own their texts (UTF-8) and point at nothing.
///
/// Every record decoded from a database starts with the deleted flag:
/// 0 for a live row, 1 for a row recovered from free space of the file.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvelle {

constexpr std::uint32_t kLive = 0;
constexpr std::uint32_t kDeleted = 1;

/// One stored file of Camera Roll, Photo Stream or WhatsApp Attachments.
struct MediaFileRecord {
    std::uint32_t size = 0; ///< low 32 bits of the stored file's size
    std::string name;       ///< device path after its last "/"
    std::string storedPath; ///< full path of the stored file (backup or decrypted copy)
};

/// One message attachment.
struct AttachmentRecord {
    std::uint32_t size = 0; ///< never 0
    std::string name;       ///< device name without its last extension + detected upper-case extension
    std::string storedPath;
};

/// One photo, video or sound kept by an app.
struct AppFileRecord {
    std::uint32_t size = 0;
    std::string appName; ///< app identifier without "com."/"net.", or "other"
    std::string name;    ///< as for AttachmentRecord
    std::string storedPath;
};

/// One text message.
struct MessageRecord {
    std::uint32_t deleted = kLive;
    std::int32_t fromMe = 0;   ///< 1 when the device's owner sent it
    std::uint32_t rowId = 0;   ///< 0 for a row carved from free space
    std::int32_t handleId = 0; ///< key of the conversation
    std::string date;          ///< local time "YYYY-MM-DD hh:mm:ss"
    std::string address;       ///< other party's number or address
    std::string contactName;   ///< from the address book; empty when unknown
    std::string text;
    std::string attachmentName; ///< file name of the first attachment, or empty
};

/// handleId -> that conversation's messages in date order.
using ConversationMap = std::map<std::int32_t, std::vector<MessageRecord>>;

/// The conversations of one QQ or WeChat account: partner -> that partner's
/// messages. A message's `address` is the partner (QQ number, WeChat user
/// name), `contactName` the partner's nickname when the app keeps one; its
/// handleId is 0. "Unknown" holds rows of freed pages no partner can claim.
using PartnerChatMap = std::map<std::string, std::vector<MessageRecord>>;

/// Account -> its conversations (QQ, WeChat).
using AccountChatMap = std::map<std::string, PartnerChatMap>;

/// One QQ or WeChat conversation as the result views, the selection and the
/// export list it.
struct MessengerChatSummary {
    std::uint32_t deleted = kLive; ///< kDeleted when the conversation holds a deleted message
    std::string account;           ///< key of the account in the AccountChatMap
    std::string partner;           ///< key of the conversation in the account's map
    MessageRecord last;            ///< a copy of its last message (address: the partner)
};

/// One WhatsApp message.
struct WhatsAppMessageRecord {
    std::uint32_t deleted = kLive;
    std::int32_t fromMe = 0;
    std::uint32_t rowId = 0;
    std::int32_t chatKey = -1; ///< -1 until a chat column is read
    std::int32_t memberKey = 0;
    std::int32_t mediaKey = 0;
    std::string date;
    std::string senderName; ///< partner's name; "Me" when fromMe; member's name when found
    std::string text;       ///< text, or the media item's device path
    std::string senderId;   ///< partner's id (before the "@"); empty when fromMe
    std::string chatNames;  ///< group: comma-separated member names; else the partner's name
    std::string chatIds;    ///< group: comma-separated member ids; else the partner's id
    std::string chatTitle;  ///< partner's name or the group's subject
};

/// chat key -> that chat's messages.
using WhatsAppChatMap = std::map<std::int32_t, std::vector<WhatsAppMessageRecord>>;

/// One address-book person.
struct ContactRecord {
    std::uint32_t deleted = kLive;
    std::string email;
    std::string address;
    std::string social;
    std::string url;     ///< shown as "Home Page"
    std::string phones;  ///< numbers separated by line feeds
    std::string company;
    std::string name;    ///< "No Name" when the row has none
};

/// One call.
struct CallRecord {
    std::uint32_t deleted = kLive;
    std::int32_t incoming = 0; ///< non-zero: incoming
    std::int32_t duration = 0; ///< seconds; 0: "Missed" (incoming) or "Canceled" (outgoing)
    std::string date;
    std::string number;
    std::string contactName;
};

/// One note.
struct NoteRecord {
    std::uint32_t deleted = kLive;
    std::uint32_t key = 0; ///< joins the note to its body
    std::string date;
    std::string title;
    std::string body;
    std::string folder;       ///< the folder's title (NoteStore.sqlite); empty when unknown
    std::string created;      ///< creation date, local time; empty when unknown
    std::uint32_t locked = 0; ///< 1: password-protected: the body is not readable and stays empty
};

/// One calendar event.
struct CalendarEventRecord {
    std::uint32_t deleted = kLive;
    std::int32_t allDay = 0;  ///< 1 for an all-day event (its times are the day's, not shifted by the zone)
    std::string title;
    std::string start;        ///< local time "YYYY-MM-DD hh:mm:ss"
    std::string end;
    std::string location;     ///< the place's title (and address when it has one)
    std::string notes;
    std::string calendar;     ///< the title of the calendar holding the event
    std::string recurrence;   ///< the repeat rule as text ("FREQ=WEEKLY;INTERVAL=1"), empty when none
};

/// One reminder (a to-do item of the Reminders app).
struct ReminderRecord {
    std::uint32_t deleted = kLive;
    std::int32_t completed = 0; ///< 1 once ticked off
    std::int32_t priority = 0;  ///< 0 none, 1 high .. 9 low
    std::string title;
    std::string due;            ///< local time, empty when the reminder has no due date
    std::string completedDate;  ///< local time, empty when not completed or not recorded
    std::string list;           ///< the name of the list holding it
    std::string notes;
};

/// One Safari bookmark or reading-list entry (folders are not items).
struct BookmarkRecord {
    std::uint32_t deleted = kLive;
    std::int32_t readingList = 0; ///< 1 for an entry of the reading list
    std::string title;
    std::string url;
    std::string folder; ///< the folders above it joined by "/", empty at the top level
};

} // namespace orvelle
