#include "decrypt/ProgressPrinter.h"

#include "backup/encryption/DecryptProtocol.h"

namespace orvelle::decrypt {

void ProgressPrinter::update(std::uint64_t done) {
    const auto now = std::chrono::steady_clock::now();
    if (m_printed && now - m_last < kCountInterval) return;
    m_last = now;
    print(done);
}

void ProgressPrinter::finish(std::uint64_t done) {
    print(done);
}

void ProgressPrinter::print(std::uint64_t done) {
    m_printed = true;
    m_out << kCountText << ' ' << done << '\n' << std::flush;
}

} // namespace orvelle::decrypt
