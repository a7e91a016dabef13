#pragma once
/// Helpers shared by the Windows bodies of the platform layer: UTF-8 and
/// UTF-16 texts, paths in the long form the wide file functions accept, and
/// the calling thread's last error. Included by Windows sources only.

#ifdef _WIN32

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orvelle::platform::windows {

/// The UTF-16 text of the UTF-8 text `text` (invalid bytes become U+FFFD).
std::wstring widen(std::string_view text);

/// The UTF-8 text of the UTF-16 text `text` (unpaired surrogates become U+FFFD).
std::string narrow(std::wstring_view text);

/// `path` made absolute and given the "\\?\" prefix ("\\?\UNC\" for a share),
/// so that names past 260 characters open. Device names ("\\.\") and paths
/// that carry a prefix already are passed through.
std::wstring longPath(const std::filesystem::path& path);

/// Name of the event through which a parent asks the process `processId` to
/// stop (Windows has no terminate signal): the parent makes it before the
/// child runs, the child's catchInterrupts() watches it.
std::wstring stopEventName(unsigned long processId);

/// GetLastError() as an error code in the system category.
std::error_code lastError();

/// `code` (a Windows error number) as an error code in the system category.
std::error_code errorCode(unsigned long code);

/// A security descriptor (self-relative bytes) whose protected access list
/// grants the current user alone full control, passed on to the files and
/// folders made inside; empty when the user cannot be read. (PrivateFolderWindows.cpp)
std::vector<unsigned char> userOnlySecurity();

/// True when `sid` (a PSID) is the current user, or the owner the user's
/// token gives what it makes (the Administrators group when elevated).
bool isCurrentUser(void* sid);

} // namespace orvelle::platform::windows

#endif
