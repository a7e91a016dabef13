#pragma once
/// Follows the decryption program's output and turns it into progress
/// reports. For each piece of output (the complete lines of one read):
///
/// 1. "Wrong password" anywhere in it ends the run with the wrong-password status.
/// 2. If it holds "Count:", the first such line gives `done`; at the first
///    count `progress` becomes 1 and 1 is reported.
/// 3. `progress` + `step` x `done` / files is reported (`done` 0 without a
///    count line; 0 share when files is 0).
///
/// A non-zero answer of the report ends the run and becomes its status. When
/// the run ends, `progress` + `step` is reported once more (answer not
/// checked) without changing `progress`.

#include "core/Status.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvelle {

/// Reports a progress value; answers 0 to go on, non-zero to stop.
using ProgressReport = std::function<std::int32_t(std::int32_t)>;

class DecryptProgress {
public:
    /// `progress` is the store's running value (updated in place); `fileCount`
    /// is the number of files in the encrypted backup's listing.
    DecryptProgress(std::int32_t& progress, std::int32_t step, std::uint64_t fileCount,
                    ProgressReport report);

    /// Lines other than count lines ("Skipped ...", "Error: ...") go to `sink`.
    void setMessageSink(std::function<void(std::string_view line)> sink) { m_messages = std::move(sink); }

    /// Takes the bytes of one read. kStatusOk to go on; otherwise the status
    /// that ends the run (kStatusWrongPassword, or the report's stop answer).
    Status onOutput(std::string_view bytes);

    /// Takes what is left of an unfinished last line once the output has ended.
    Status onEndOfOutput();

    /// No output for a while: reports the last reported value again (the
    /// store's running value before any), so a stop answer is heard while the
    /// program is quiet. kStatusOk or the report's stop answer.
    Status onQuiet();

    /// The closing report: `progress` + `step`.
    void finish();

    /// The first count in `text`: the decimal number after "Count:"; absent
    /// when there is no count line.
    static std::optional<std::uint64_t> firstCount(std::string_view text);

private:
    Status onChunk(std::string_view chunk);

    std::int32_t& m_progress;
    std::int32_t m_step;
    std::uint64_t m_fileCount;
    ProgressReport m_report;
    std::function<void(std::string_view)> m_messages;
    std::string m_pending; // an unfinished line carried to the next read
    std::optional<std::int32_t> m_lastReported;
};

} // namespace orvelle
