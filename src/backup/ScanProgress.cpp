#include "backup/ScanProgress.h"

namespace orvelle {

std::int32_t ScanProgress::share(std::int64_t weight, std::uint64_t done, std::uint64_t total) const {
    if (total == 0) return m_progress;
    // step and weight are small; done <= total, so the product stays far from overflow.
    const auto part = static_cast<std::int64_t>(static_cast<std::uint64_t>(m_step * weight) * done / total);
    return static_cast<std::int32_t>(m_progress + part);
}

} // namespace orvelle
