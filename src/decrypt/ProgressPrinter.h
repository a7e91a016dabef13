#pragma once
/// Prints the "Count: N" progress lines the backup store follows, at most
/// every kCountInterval (and always the last one), so a slow reader of the
/// pipe never sees a backlog of stale counts.

#include <chrono>
#include <cstdint>
#include <ostream>

namespace orvelle::decrypt {

class ProgressPrinter {
public:
    static constexpr std::chrono::milliseconds kCountInterval{100};

    explicit ProgressPrinter(std::ostream& out) : m_out(out) {}

    /// Records that `done` files are finished; prints when the interval is up.
    void update(std::uint64_t done);
    /// Prints the final count.
    void finish(std::uint64_t done);

private:
    void print(std::uint64_t done);

    std::ostream& m_out;
    std::chrono::steady_clock::time_point m_last{};
    bool m_printed = false;
};

} // namespace orvelle::decrypt
