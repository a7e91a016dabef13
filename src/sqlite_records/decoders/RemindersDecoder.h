#pragma once
/// Reminders of iOS 13 and later, from the Reminders app's Core Data stores
/// (AppDomainGroup-group.com.apple.reminders, Container_v1/Stores/Data-*.sqlite;
/// one store per account).
///
/// | table          | field          | column             |
/// |----------------|----------------|--------------------|
/// | ZREMCDREMINDER | title          | ZTITLE             |
/// |                | notes          | ZNOTES             |
/// |                | due            | ZDUEDATE           |
/// |                | due all-day    | ZALLDAY            |
/// |                | completed      | ZCOMPLETED         |
/// |                | completed on   | ZCOMPLETIONDATE    |
/// |                | priority       | ZPRIORITY          |
/// |                | list (key)     | ZLIST              |
/// |                | marked deleted | ZMARKEDFORDELETION |
/// | ZREMCDBASELIST | name           | ZNAME              |
///
/// Columns are found by name only: Core Data numbers its columns anew for
/// every model version, so no position is fixed. A reminder the app has
/// marked for deletion (it waits to be purged) is shown as deleted, like the
/// rows recovered from free space. An all-day due date is a wall-clock date
/// shown as stored; others are shown in local time. Reminders keep the
/// table's order.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"

#include <filesystem>
#include <vector>

namespace orvelle {

class SqliteFile;

/// Appends the reminders of an open store to `out`.
Status decodeReminderRows(SqliteFile& file, std::vector<ReminderRecord>& out);

/// Decodes the store at `storeDb`, appending to `out`. Returns 0,
/// kStatusFileMissing, the open's code (nothing appended), or the progress
/// callback's non-zero answer.
Status decodeReminderStore(const std::filesystem::path& storeDb, const DecodeContext& context,
                           std::vector<ReminderRecord>& out);

} // namespace orvelle
