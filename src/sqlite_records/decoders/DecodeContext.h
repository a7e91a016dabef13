#pragma once
/// What a record decoder is handed besides its database paths, and what it
/// reports back beside its records.

#include "core/Status.h"
#include "platform/File.h"
#include "sqlite_records/WriteAheadLog.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace orvelle {

struct DecodeContext {
    /// Called as the decoder advances (0 to 100 percent of its own work);
    /// answers 0 to go on, non-zero to stop (the decoder then returns that value).
    std::function<int(int percent)> progress;
    /// The backup's majorVersionAbove11: selects the address-book (and
    /// call-record number) columns when a table's own schema cannot be read.
    bool newAddressBookLayout = false;
    /// The write-ahead log to apply over a database the decoder opens (a
    /// backup names its stored files by ID, so their logs are not beside
    /// them). Not set: the log beside the database, when there is one.
    std::function<LogOptions(const std::filesystem::path& database)> logFor;
    /// Told when a database's log could be used only in part or not at all;
    /// the decoder goes on with what could be read.
    std::function<void(const std::filesystem::path& database, const std::string& problem)> logWarning;
    /// Whether the databases may be links: never inside a backup, where a
    /// link could lead out of it; a loose database the user names may be one.
    platform::LinkRule links = platform::LinkRule::refuse;
};

/// Side results of a decoder run.
struct DecodeReport {
    /// The address book's open or read status (0 when it was read or none was
    /// given). Records are still returned when it failed, without names.
    Status addressBook = kStatusOk;
    /// Rows the decoder took: live ones and deleted ones.
    std::uint64_t liveRows = 0;
    std::uint64_t deletedRows = 0;
};

/// Calls the context's progress callback when there is one; 0 otherwise.
inline int reportProgress(const DecodeContext& context, int percent) {
    return context.progress ? context.progress(percent) : 0;
}

} // namespace orvelle
