#pragma once
/// A one-line progress bar on standard error, redrawn in place, for commands
/// whose work reports a percent. Draws nothing when standard error is not a
/// terminal. Safe to call from a worker thread while another thread waits.

#include <mutex>
#include <string>

namespace orvelle::cli {

class ProgressBar {
public:
    /// `label` is shown before the bar.
    explicit ProgressBar(std::string label);
    /// Clears the line if a bar is still shown.
    ~ProgressBar();

    /// Shows `percent` (clamped to 0..100) and an optional note after it.
    void show(int percent, const std::string& note = {});
    /// Removes the bar from the line so other text can follow.
    void clear();

private:
    std::mutex m_lock;
    std::string m_label;
    bool m_enabled;
    bool m_shown = false;
};

} // namespace orvelle::cli
