#include "core/ProblemText.h"

#include "platform/File.h"

namespace orvelle {

static_assert(kStatusNotRegularFile == static_cast<Status>(platform::FileRefusal::notRegularFile));
static_assert(kStatusLinkedFolder == static_cast<Status>(platform::FileRefusal::linkedFolder));

std::string problemText(Status status) {
    switch (status) {
    case kStatusOk:
        return "no problem";
    case kStatusStopped:
        return "stopped";
    case kStatusFileMissing:
        return "the file is not in this backup";
    case kStatusShortRead:
        return "the file is truncated or cannot be read";
    case kStatusInvalid:
        return "it is not a SQLite database, or its header is damaged";
    case kStatusSqliteQueryFailed:
        return "it is not a database of the expected kind, or it is damaged";
    case kStatusTableMissing:
        return "it lacks the table that holds the records (not the expected database, or its schema "
               "is damaged)";
    case kStatusDatabaseDamaged:
        return "it is damaged: part of the records' table cannot be read (the records that could be read "
               "are shown)";
    case kStatusManifestUnreadable:
        return "Manifest.mbdb cannot be opened";
    case kStatusNotRegularFile:
        return "not a regular file: skipped";
    case kStatusLinkedFolder:
        return "the folder is a link or not a folder: nothing written into it";
    case kStatusNotesCut:
        return "notes too large to hold in memory are cut, marked \"[Note too large: cut]\" (the other notes "
               "are read in full)";
    case kStatusWrongPassword:
        return "wrong password";
    case kStatusEncryptionDamaged:
        return "the backup cannot be decrypted: its keybag or manifest is damaged";
    case kStatusFailed:
        return "it cannot be read";
    default:
        return "error " + std::to_string(status);
    }
}

} // namespace orvelle
