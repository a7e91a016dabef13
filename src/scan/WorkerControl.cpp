#include "scan/WorkerControl.h"

namespace orvelle {

void WorkerControl::begin() {
    m_stop.store(false);
    m_finished.store(false);
}

void WorkerControl::end() {
    m_finished.store(true);
}

bool WorkerControl::checkpoint() {
    std::lock_guard<std::mutex> guard(m_lock);
    return !m_stop.load();
}

} // namespace orvelle
