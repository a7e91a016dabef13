#pragma once
/// One file of a backup as its manifest lists it.

#include <string>
#include <vector>

namespace orvelle {

struct ManifestEntry {
    std::string domainPath; ///< domain, "-", relative path (UTF-8 as stored)
    std::string fileId;     ///< 40 lower-case hex digits: SHA-1 of domainPath
};

/// The manifest of one backup, in manifest order.
using ManifestList = std::vector<ManifestEntry>;

} // namespace orvelle
