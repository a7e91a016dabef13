#include "gui/export/ExportRelay.h"

namespace orvelle::gui {

namespace {

constexpr auto kWakeInterval = std::chrono::milliseconds(100);

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

} // namespace

void ExportRelay::exportProgress(const ExportProgress& progress) {
    {
        std::lock_guard lock(m_lock);
        m_progress = progress;
    }
    wakeWindow(false);
}

void ExportRelay::fileFinished(const std::filesystem::path& file, Status status, const std::string& text) {
    {
        std::lock_guard lock(m_lock);
        m_rows.push_back({pathText(file), QString::fromStdString(text), status != kStatusOk});
    }
    wakeWindow(false);
}

void ExportRelay::jobEnded(ExportSummary summary) {
    {
        std::lock_guard lock(m_lock);
        m_summary = std::move(summary);
    }
    emit updated();
    emit ended();
}

void ExportRelay::wakeWindow(bool now) {
    // Only the worker calls this, so the time of the last wake needs no lock.
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - m_lastWake < kWakeInterval) return;
    m_lastWake = time;
    emit updated();
}

std::optional<ExportProgress> ExportRelay::takeProgress() {
    std::lock_guard lock(m_lock);
    std::optional<ExportProgress> progress = std::move(m_progress);
    m_progress.reset();
    return progress;
}

std::vector<ExportDetailRow> ExportRelay::takeRows() {
    std::lock_guard lock(m_lock);
    std::vector<ExportDetailRow> rows;
    rows.swap(m_rows);
    return rows;
}

std::optional<ExportSummary> ExportRelay::takeSummary() {
    std::lock_guard lock(m_lock);
    return m_summary;
}

} // namespace orvelle::gui
