#include "gui/results/ScanBridge.h"

namespace orvelle::gui {

ScanBridge::ScanBridge(QObject* parent) : QObject(parent) {}

int ScanBridge::nextGeneration() {
    m_percentPending.store(false);
    m_percent.store(0);
    return m_generation.fetch_add(1) + 1;
}

int ScanBridge::takePercent() {
    m_percentPending.store(false);
    return m_percent.load();
}

void ScanBridge::scanOpened() {
    emit opened(m_generation.load());
}

void ScanBridge::passwordNeeded() {
    emit passwordAsked(m_generation.load());
}

void ScanBridge::openFailed() {
    emit openingFailed(m_generation.load());
}

void ScanBridge::progressShown(int percent) {
    if (m_percent.exchange(percent) == percent) return;
    if (!m_percentPending.exchange(true)) emit percentChanged(m_generation.load());
}

void ScanBridge::countsUpdated() {
    emit countsChanged(m_generation.load());
}

void ScanBridge::firstCategoryHasResults(ItemKind kind) {
    emit firstResults(m_generation.load(), static_cast<int>(kind));
}

void ScanBridge::scanFinished(Status result) {
    emit ended(m_generation.load(), result);
}

} // namespace orvelle::gui
