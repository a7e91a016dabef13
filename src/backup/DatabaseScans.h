#pragma once
/// The database categories of a local backup: each operation finds its
/// database (by fixed file ID, or WhatsApp's through the manifest), hands it
/// to its record decoder with the store's progress, and advances the progress.
///
/// Progress: the decoder's own reports (0..100 of its work) are shown as
/// progress + (step / 2) x percent / 100; when it returns, progress rises by
/// step / 2 and one report follows whose answer is not checked. WhatsApp ends
/// with progress += step and one report: a stop it answers is returned, else
/// the decoder's status.
///
/// Status: kStatusStopped only when the callback answered it; a database that
/// is missing gives kStatusFileMissing (never the stop value), so the scan
/// goes on with the next category.

#include "core/ItemRecords.h"
#include "core/Status.h"

#include <filesystem>
#include <vector>

namespace orvelle {

class BackupStore;

/// Messages of sms.db with names from the address book; `chats` is replaced.
Status scanMessageDatabase(BackupStore& store, ConversationMap& chats);
/// Contacts of the address book.
Status scanContactDatabase(BackupStore& store, std::vector<ContactRecord>& contacts);
/// Calls of the newer call-history database, or of the older one when the newer is missing.
Status scanCallDatabase(BackupStore& store, std::vector<CallRecord>& calls);
/// Notes of notes.sqlite (before iOS 9) and of NoteStore.sqlite (iOS 9 and
/// later), in that order: a device updated across iOS 9 can leave both.
/// kStatusFileMissing only when the backup holds neither.
Status scanNoteDatabase(BackupStore& store, std::vector<NoteRecord>& notes);
/// Events of Calendar.sqlitedb.
Status scanCalendarDatabase(BackupStore& store, std::vector<CalendarEventRecord>& events);
/// Reminders: those of Calendar.sqlitedb (iOS 12 and earlier), then those of
/// every Reminders store found through the manifest (iOS 13 and later).
/// kStatusFileMissing only when the backup holds none of these files.
Status scanReminderDatabases(BackupStore& store, std::vector<ReminderRecord>& reminders);
/// Safari bookmarks and reading list of Bookmarks.db.
Status scanBookmarkDatabase(BackupStore& store, std::vector<BookmarkRecord>& bookmarks);
/// WhatsApp chats of ChatStorage.sqlite (found through the manifest); `chats` is replaced.
Status scanWhatsAppDatabase(BackupStore& store, WhatsAppChatMap& chats);
/// QQ chats of every QQ.db the manifest lists, keyed by the folder that holds
/// it (the account's number); `chats` is replaced. kStatusFileMissing when
/// there is none; else the first problem of a database (the others are still read).
Status scanQqDatabases(BackupStore& store, AccountChatMap& chats);
/// WeChat chats of every MM.sqlite the manifest lists, with the message and
/// contact files beside it, keyed "User1", "User2" ... in manifest order;
/// `chats` is replaced. Status as scanQqDatabases.
Status scanWeChatDatabases(BackupStore& store, AccountChatMap& chats);

/// Appends the message rows (deleted ones included) to `output`; carved rows
/// are numbered after the store's message row-id mark, which is raised.
Status exportMessageDatabase(BackupStore& store, const std::filesystem::path& output);
/// Appends the address-book rows likewise, after the address-book mark.
Status exportContactDatabase(BackupStore& store, const std::filesystem::path& output);

} // namespace orvelle
