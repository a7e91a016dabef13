#pragma once
/// The progress callback of a scan: called with the caller's user data and the
/// running progress value; answers 0 to go on, non-zero (2 from the scan page)
/// to stop the running operation, which then returns that answer.

#include <cstdint>

namespace orvelle {

using ScanCallback = std::int32_t (*)(void* userData, std::int32_t progress);

} // namespace orvelle
