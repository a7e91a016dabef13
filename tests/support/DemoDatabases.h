#pragma once
/// The device databases of the demo backup: sms.db, the address book, the
/// call history, notes, WhatsApp's ChatStorage.sqlite, the calendar, a
/// Reminders store and Safari's bookmarks, each with live rows
/// and rows the device deleted (left in free space), so that every database
/// category of a scan has live and deleted items. Deterministic.
///
/// | database             | live                                 | deleted |
/// |----------------------|--------------------------------------|---------|
/// | sms.db (and -wal)    | 12 messages in 2 conversations (+)   | 2 (+)   |
/// | AddressBook.sqlitedb | 5 people                             | 1       |
/// | CallHistory.storedata| 7 calls                              | 1       |
/// | notes.sqlite         | 4 notes                              | 1 (*)   |
/// | NoteStore.sqlite     | 4 notes (one locked)                 | 2 (**)  |
/// | ChatStorage.sqlite   | 9 messages in 2 chats (one a group)  | 1       |
/// | Calendar.sqlitedb    | 4 events                             | 1       |
/// | Reminders Data-*.sqlite | 4 reminders in 2 lists            | 1       |
/// | Bookmarks.db         | 4 bookmarks (one in the reading list)| 1       |
/// | QQ.db (account 10001)| 5 messages with 2 partners           | 1       |
/// | WeChat MM.sqlite,    | 6 messages with 2 friends, one       | 1       |
/// | message_1.sqlite,    | friend's chat split over two files   |         |
/// | WCDB_Contact.sqlite  |                                      |         |
///
/// (*) the deleted note's row and its body row are both carved (their row ids
/// lost) and are joined again into one note.
/// (**) one in Recently Deleted, one whose rows were deleted.
/// (+) sms.db-wal holds one live message that the file does not, and the
/// older version of a page with a message deleted later (a deleted row).

#include "support/BackupBuilder.h"

namespace orvelle::test {

/// Expected figures of the demo's databases (what a scan finds).
struct DemoDatabaseFigures {
    int messageChats = 2, liveMessages = 12, deletedMessages = 2;
    int liveContacts = 5, deletedContacts = 1;
    int liveCalls = 7, deletedCalls = 1;
    int liveNotes = 4 + 4, deletedNotes = 1 + 2; ///< notes.sqlite + NoteStore.sqlite
    int whatsAppChats = 2, liveWhatsAppMessages = 9, deletedWhatsAppMessages = 1;
    int liveEvents = 4, deletedEvents = 1;
    int liveReminders = 4, deletedReminders = 1;
    int liveBookmarks = 4, deletedBookmarks = 1;
    int qqChats = 2, liveQqMessages = 5, deletedQqMessages = 1;
    int weChatChats = 2, liveWeChatMessages = 6, deletedWeChatMessages = 1;
};

/// Adds the databases to `backup` under their device paths (the files
/// are built in a temporary folder and read back).
void addDemoDatabases(BackupBuilder& backup);

} // namespace orvelle::test
