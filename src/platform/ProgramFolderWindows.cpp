#ifdef _WIN32

#include "platform/ProgramFolder.h"

#include <windows.h>

#include <string>

namespace orvelle::platform {

std::filesystem::path executableFolder() {
    // The name may pass MAX_PATH: grow the buffer until it fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        if (name.size() >= 32768) return {};
        name.resize(name.size() * 2);
    }
    // A long-form name ("\\?\C:\...") is given back in its usual form.
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0)
        name = L"\\\\" + name.substr(8);
    else if (name.rfind(L"\\\\?\\", 0) == 0)
        name = name.substr(4);
    return std::filesystem::path(name).parent_path();
}

} // namespace orvelle::platform

#endif
