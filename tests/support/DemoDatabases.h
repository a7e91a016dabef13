#pragma once
/// The device databases of the demo backup: sms.db, the address book, the
/// call history, notes and WhatsApp's ChatStorage.sqlite, each with live rows
/// and rows the device deleted (left in free space), so that every database
/// category of a scan has live and deleted items. Deterministic.
///
/// | database             | live                                 | deleted |
/// |----------------------|--------------------------------------|---------|
/// | sms.db               | 11 messages in 2 conversations       | 1       |
/// | AddressBook.sqlitedb | 5 people                             | 1       |
/// | CallHistory.storedata| 7 calls                              | 1       |
/// | notes.sqlite         | 4 notes                              | 1 (*)   |
/// | ChatStorage.sqlite   | 9 messages in 2 chats (one a group)  | 1       |
///
/// (*) the deleted note's row and its body row are both carved (their row ids
/// lost) and are joined again into one note.

#include "support/BackupBuilder.h"

namespace orvelle::test {

/// Expected figures of the demo's databases (what a scan finds).
struct DemoDatabaseFigures {
    int messageChats = 2, liveMessages = 11, deletedMessages = 1;
    int liveContacts = 5, deletedContacts = 1;
    int liveCalls = 7, deletedCalls = 1;
    int liveNotes = 4, deletedNotes = 1;
    int whatsAppChats = 2, liveWhatsAppMessages = 9, deletedWhatsAppMessages = 1;
};

/// Adds the five databases to `backup` under their device paths (the files
/// are built in a temporary folder and read back).
void addDemoDatabases(BackupBuilder& backup);

} // namespace orvelle::test
