#pragma once
/// Carries what the export worker reports to the export window. The worker
/// calls the observer functions; they keep the latest progress and the
/// finished files under a lock and wake the window with a queued signal, at
/// most every 100 ms, so a fast export of many small files never floods the
/// window. The window takes the collected state on its own thread.

#include "export/ExportJob.h"
#include "gui/export/ExportDetailModel.h"

#include <QObject>

#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

namespace orvelle::gui {

class ExportRelay : public QObject, public ExportObserver {
    Q_OBJECT
public:
    explicit ExportRelay(QObject* parent = nullptr) : QObject(parent) {}

    // --- worker side ---
    void exportProgress(const ExportProgress& progress) override;
    void fileFinished(const std::filesystem::path& file, Status status, const std::string& text) override;
    /// The job has returned: keeps its summary and wakes the window at once.
    void jobEnded(ExportSummary summary);

    // --- window side ---
    /// The latest progress, if any arrived since the last call.
    std::optional<ExportProgress> takeProgress();
    /// The files finished since the last call, in the order they finished.
    std::vector<ExportDetailRow> takeRows();
    /// The job's summary once it has ended.
    std::optional<ExportSummary> takeSummary();

signals:
    /// New progress or rows are waiting (connect queued: emitted on the worker).
    void updated();
    /// The job has ended (connect queued: emitted on the worker).
    void ended();

private:
    void wakeWindow(bool now);

    std::mutex m_lock;
    std::optional<ExportProgress> m_progress;
    std::vector<ExportDetailRow> m_rows;
    std::optional<ExportSummary> m_summary;
    std::chrono::steady_clock::time_point m_lastWake{};
};

} // namespace orvelle::gui
