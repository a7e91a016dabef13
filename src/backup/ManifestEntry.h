#pragma once
/// One file of a backup as its manifest lists it.

#include "core/Status.h"

#include <string>
#include <vector>

namespace orvelle {

struct ManifestEntry {
    std::string domainPath; ///< domain, "-", relative path (UTF-8 as stored)
    std::string fileId;     ///< 40 lower-case hex digits: SHA-1 of domainPath
};

/// The manifest of one backup, in manifest order.
using ManifestList = std::vector<ManifestEntry>;

/// A stored file that was left unread, and why (a FIFO, device, socket or
/// link stands where the file should be: kStatusNotRegularFile).
struct SkippedFile {
    std::string domainPath; ///< the device path the manifest gives it
    std::string fileId;
    Status status = kStatusOk;
};

} // namespace orvelle
