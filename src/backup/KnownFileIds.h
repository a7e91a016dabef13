#pragma once
/// Databases found by their fixed file IDs, without the manifest. A file ID
/// is the SHA-1 of "domain-relativePath", so these never change:
///
/// | role                  | domain-relativePath                                   |
/// |-----------------------|-------------------------------------------------------|
/// | address book          | HomeDomain-Library/AddressBook/AddressBook.sqlitedb   |
/// | messages              | HomeDomain-Library/SMS/sms.db                         |
/// | call history (newer)  | HomeDomain-Library/CallHistoryDB/CallHistory.storedata|
/// | call history (older)  | WirelessDomain-Library/CallHistory/call_history.db    |
/// | notes                 | HomeDomain-Library/Notes/notes.sqlite                 |
/// | notes (iOS 9 and later) | AppDomainGroup-group.com.apple.notes-NoteStore.sqlite |
/// | calendar              | HomeDomain-Library/Calendar/Calendar.sqlitedb         |
/// | Safari bookmarks      | HomeDomain-Library/Safari/Bookmarks.db                |

#include <string_view>

namespace orvelle {

constexpr std::string_view kAddressBookFileId = "31bb7ba8914766d4ba40d6dfb6113c8b614be442";
constexpr std::string_view kMessagesFileId = "3d0d7e5fb2ce288813306e4d4636395e047a3d28";
constexpr std::string_view kCallHistoryFileId = "5a4935c78a5255723f707230a451d79c540d2741";
constexpr std::string_view kOlderCallHistoryFileId = "2b2b0084a1bc3a5ac8c27afdf14afb42c61a19ca";
constexpr std::string_view kNotesFileId = "ca3bc056d4da0bbf88b5fb3be254f3b7147e639c";
constexpr std::string_view kNoteStoreFileId = "4f98687d8ab0d6d1a371110e6b7300f6e465bef2";
constexpr std::string_view kCalendarFileId = "2041457d5fe04d39d0ab481178355df6781e6858";
constexpr std::string_view kBookmarksFileId = "d1f062e2da26192a6625d968274bfda8d07821e4";

/// WhatsApp's databases are found through the manifest, by these parts of a domain path.
constexpr std::string_view kWhatsAppChatDatabaseName = "ChatStorage.sqlite";
constexpr std::string_view kWhatsAppContactsDatabaseName = "Contacts.sqlite";

/// The Reminders app's stores (iOS 13 and later), one per account, are found
/// through the manifest: domain paths that begin with this and end in ".sqlite".
constexpr std::string_view kReminderStorePrefix =
    "AppDomainGroup-group.com.apple.reminders-Container_v1/Stores/Data-";
constexpr std::string_view kReminderStoreSuffix = ".sqlite";

/// QQ keeps one QQ.db per account, in a folder named by the account's number:
/// domain paths that end in this.
constexpr std::string_view kQqDatabaseEnd = "/QQ.db";
/// WeChat keeps one folder per account (".../DB/"): MM.sqlite, on newer app
/// versions with message_1.sqlite ... message_N.sqlite and WCDB_Contact.sqlite beside it.
constexpr std::string_view kWeChatDatabaseEnd = "/MM.sqlite";
constexpr std::string_view kWeChatMessageFilePrefix = "message_";
constexpr std::string_view kWeChatContactFileName = "WCDB_Contact.sqlite";

} // namespace orvelle
