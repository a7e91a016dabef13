#pragma once
/// Free space and the places a large scratch copy may go.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvelle::platform {

/// Free bytes available on the drive that holds `path`; absent when the
/// drive cannot be asked.
std::optional<std::uint64_t> freeBytes(const std::filesystem::path& path);

/// Roots where a scratch folder may be made, in the order the system lists
/// them: the fixed logical drives (C:\, D:\, ...) on Windows, leaving out
/// removable, optical and network drives; elsewhere the system's temporary
/// folder, the one place every user may write.
std::vector<std::filesystem::path> scratchDriveRoots();

/// Gives `folder` the hidden attribute where the system has one (Windows);
/// elsewhere nothing to do.
void setHidden(const std::filesystem::path& folder);

} // namespace orvelle::platform
