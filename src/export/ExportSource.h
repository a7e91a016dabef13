#pragma once
/// What the export needs from the scan source: copying stored files out of
/// the backup and dumping the message and address-book rows (deleted ones
/// included) as lines of SQL values. The scan source implements it; tests
/// use a fake.

#include "core/Status.h"
#include "platform/OutputFile.h"

#include <filesystem>

namespace orvelle {

/// Progress of one file: called with the percent done (100 when the file is
/// finished), the status (0, or the system's error code), and the file's
/// path. Answers 0 to go on, kStatusStopped to give up.
using FileProgressFn = int (*)(void* context, int percent, Status status, const std::filesystem::path& path);

class ExportSource {
public:
    virtual ~ExportSource() = default;

    /// Copies the stored file `source` into `file`, which the export has just
    /// created new and empty at `destination`, and closes it; reports through
    /// `progress`. 0 on success, else the status of the failed step
    /// (kStatusStopped when `progress` answered so).
    virtual Status copyFile(const std::filesystem::path& source, platform::OutputFile& file,
                            const std::filesystem::path& destination, FileProgressFn progress,
                            void* context) = 0;

    /// Appends the rows of the message table, deleted ones included, to `output`.
    virtual Status exportDeletedMessages(const std::filesystem::path& output) = 0;

    /// Appends the rows of the address book, deleted ones included, to `output`.
    virtual Status exportDeletedContacts(const std::filesystem::path& output) = 0;
};

/// A progress function with its context; a sink without function answers 0.
struct ProgressSink {
    FileProgressFn function = nullptr;
    void* context = nullptr;
    int operator()(int percent, Status status, const std::filesystem::path& path) const {
        return function ? function(context, percent, status, path) : 0;
    }
};

} // namespace orvelle
