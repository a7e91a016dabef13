#include "backup/encryption/DecryptProgress.h"

#include "backup/encryption/DecryptProtocol.h"

#include <algorithm>
#include <limits>

namespace orvelle {

DecryptProgress::DecryptProgress(std::int32_t& progress, std::int32_t step, std::uint64_t fileCount,
                                 ProgressReport report)
    : m_progress(progress), m_step(step), m_fileCount(fileCount), m_report(std::move(report)) {}

std::optional<std::uint64_t> DecryptProgress::firstCount(std::string_view text) {
    const std::size_t at = text.find(kCountText);
    if (at == std::string_view::npos) return std::nullopt;
    std::size_t i = at + std::string_view(kCountText).size();
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const std::uint64_t digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) break; // keep what fits
        value = value * 10 + digit;
    }
    return value;
}

Status DecryptProgress::onOutput(std::string_view bytes) {
    m_pending.append(bytes);
    const std::size_t lastNewline = m_pending.rfind('\n');
    if (lastNewline == std::string::npos) return kStatusOk;
    const std::string chunk = m_pending.substr(0, lastNewline + 1);
    m_pending.erase(0, lastNewline + 1);
    return onChunk(chunk);
}

Status DecryptProgress::onEndOfOutput() {
    if (m_pending.empty()) return kStatusOk;
    const std::string chunk = std::move(m_pending);
    m_pending.clear();
    return onChunk(chunk);
}

Status DecryptProgress::onChunk(std::string_view chunk) {
    if (m_messages) {
        for (std::string_view rest = chunk; !rest.empty();) {
            const std::size_t end = std::min(rest.find('\n'), rest.size());
            std::string_view line = rest.substr(0, end);
            rest.remove_prefix(std::min(end + 1, rest.size()));
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!line.empty() && line.find(kCountText) == std::string_view::npos) m_messages(line);
        }
    }
    if (chunk.find(kWrongPasswordText) != std::string_view::npos) return kStatusWrongPassword;
    std::uint64_t done = 0;
    if (auto count = firstCount(chunk)) {
        if (m_progress == 0) {
            m_progress = 1;
            if (Status answer = m_report(m_progress)) return answer;
        }
        done = *count;
    }
    std::int64_t share = 0;
    if (m_fileCount > 0) {
        // step x done in 128 bits would be exact; done beyond 2^56 is not a file count.
        const std::uint64_t capped = std::min<std::uint64_t>(done, std::uint64_t(1) << 56);
        share = static_cast<std::int64_t>(static_cast<std::uint64_t>(m_step) * capped / m_fileCount);
    }
    const std::int64_t value = static_cast<std::int64_t>(m_progress) + share;
    const auto clamped = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    m_lastReported = clamped;
    return m_report(clamped);
}

Status DecryptProgress::onQuiet() {
    return m_report(m_lastReported.value_or(m_progress));
}

void DecryptProgress::finish() {
    m_report(m_progress + m_step);
}

} // namespace orvelle
