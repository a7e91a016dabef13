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

#include <string_view>

namespace orvelle {

constexpr std::string_view kAddressBookFileId = "31bb7ba8914766d4ba40d6dfb6113c8b614be442";
constexpr std::string_view kMessagesFileId = "3d0d7e5fb2ce288813306e4d4636395e047a3d28";
constexpr std::string_view kCallHistoryFileId = "5a4935c78a5255723f707230a451d79c540d2741";
constexpr std::string_view kOlderCallHistoryFileId = "2b2b0084a1bc3a5ac8c27afdf14afb42c61a19ca";
constexpr std::string_view kNotesFileId = "ca3bc056d4da0bbf88b5fb3be254f3b7147e639c";

/// WhatsApp's databases are found through the manifest, by these parts of a domain path.
constexpr std::string_view kWhatsAppChatDatabaseName = "ChatStorage.sqlite";
constexpr std::string_view kWhatsAppContactsDatabaseName = "Contacts.sqlite";

} // namespace orvelle
