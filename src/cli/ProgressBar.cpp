#include "cli/ProgressBar.h"

#include "platform/Terminal.h"

#include <iostream>

namespace orvelle::cli {

namespace {
constexpr int kBarWidth = 30;
}

ProgressBar::ProgressBar(std::string label)
    : m_label(std::move(label)), m_enabled(platform::standardErrorIsTerminal()) {}

ProgressBar::~ProgressBar() {
    clear();
}

void ProgressBar::show(int percent, const std::string& note) {
    if (!m_enabled) return;
    const int value = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    const int filled = value * kBarWidth / 100;
    std::lock_guard<std::mutex> guard(m_lock);
    std::cerr << '\r' << m_label << " [" << std::string(filled, '#') << std::string(kBarWidth - filled, ' ')
              << "] " << value << "% " << note << "\x1b[K" << std::flush;
    m_shown = true;
}

void ProgressBar::clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_enabled || !m_shown) return;
    std::cerr << "\r\x1b[K" << std::flush;
    m_shown = false;
}

} // namespace orvelle::cli
