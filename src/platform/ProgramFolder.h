#pragma once
/// The folder of the running program: files that ship with it (templates,
/// helper programs) are looked up from there.

#include <filesystem>

namespace orvelle::platform {

/// The folder holding the running executable; empty when the system cannot tell.
std::filesystem::path executableFolder();

} // namespace orvelle::platform
