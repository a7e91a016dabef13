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
    enterReport();
    const bool goOn = !m_stop.load();
    release();
    return goOn;
}

void WorkerControl::enterReport() {
    ++m_waiting;
    m_lock.lock();
    --m_waiting;
}

} // namespace orvelle
