#pragma once
/// The progress state a backup store carries through one scan: the callback
/// with its user data, the running `progress` value and the `step` weight of
/// one category. Reports go straight to the callback; nothing is clamped.

#include "backup/ScanCallback.h"

#include <cstdint>

namespace orvelle {

/// Weight of one category for a plain backup and for an encrypted one.
constexpr std::int32_t kStepPlainBackup = 11;
constexpr std::int32_t kStepEncryptedBackup = 10;

class ScanProgress {
public:
    /// Sets the callback (may be null) and its user data.
    void setCallback(ScanCallback callback, void* userData) {
        m_callback = callback;
        m_userData = userData;
    }
    bool hasCallback() const { return m_callback != nullptr; }

    /// Calls the callback with `value`; 0 when there is none.
    std::int32_t report(std::int32_t value) const { return m_callback ? m_callback(m_userData, value) : 0; }

    /// `progress` + `step` × weight × done / total (64-bit arithmetic; 0 share when total is 0).
    std::int32_t share(std::int64_t weight, std::uint64_t done, std::uint64_t total) const;

    /// Adds `delta` to `progress` and reports the new value.
    std::int32_t advance(std::int32_t delta) {
        m_progress += delta;
        return report(m_progress);
    }

    std::int32_t progress() const { return m_progress; }
    void setProgress(std::int32_t value) { m_progress = value; }
    std::int32_t step() const { return m_step; }
    void setStep(std::int32_t value) { m_step = value; }

private:
    ScanCallback m_callback = nullptr;
    void* m_userData = nullptr;
    std::int32_t m_progress = 0;
    std::int32_t m_step = 0;
};

} // namespace orvelle
