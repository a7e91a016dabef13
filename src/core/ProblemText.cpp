#include "core/ProblemText.h"

namespace orvelle {

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
    case kStatusWrongPassword:
        return "wrong password";
    case kStatusFailed:
        return "it cannot be read";
    default:
        return "error " + std::to_string(status);
    }
}

} // namespace orvelle
