#include "scan/WorkerControl.h"

namespace orvelle {

void WorkerControl::begin() {
    m_stop.store(false);
    m_finished.store(false);
}

void WorkerControl::end() {
    {
        std::lock_guard<std::mutex> guard(m_finishLock);
        m_finished.store(true);
    }
    m_finishedSignal.notify_all();
}

bool WorkerControl::waitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(m_finishLock);
    return m_finishedSignal.wait_for(guard, timeout, [this] { return m_finished.load(); });
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
