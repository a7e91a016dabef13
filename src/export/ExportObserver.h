#pragma once
/// What an export tells the window (or the command line) that shows it.
/// Both calls come on the export's thread, outside its lock, so an observer
/// may ask the export to stop from within them.

#include "core/Status.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace orvelle {

struct ExportProgress {
    int percent = 0;               ///< of the current file
    std::filesystem::path current; ///< the file being written
    std::uint32_t done = 0;        ///< files finished, failures included
    std::uint32_t expected = 0;    ///< ticked, visible items at the start
    std::uint32_t failed = 0;      ///< files finished with an error
};

class ExportObserver {
public:
    virtual ~ExportObserver() = default;
    /// Every accepted progress report.
    virtual void exportProgress(const ExportProgress& progress) {}
    /// A file was finished: `text` is "Success" or the message for `status`.
    /// A shared document (contacts, calls, notes) is named once per row.
    virtual void fileFinished(const std::filesystem::path& file, Status status, const std::string& text) {}
};

} // namespace orvelle
