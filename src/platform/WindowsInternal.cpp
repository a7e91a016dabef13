#ifdef _WIN32

#include "platform/WindowsInternal.h"

#include <windows.h>

#include <climits>

namespace orvelle::platform::windows {

std::wstring widen(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int size = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), needed);
    return out;
}

std::string narrow(std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int size = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), needed, nullptr, nullptr);
    return out;
}

std::wstring longPath(const std::filesystem::path& path) {
    std::wstring text = path.wstring();
    if (text.rfind(L"\\\\?\\", 0) == 0 || text.rfind(L"\\\\.\\", 0) == 0 || text.empty()) return text;
    // The prefix turns off the system's own clean-up of the name: separators
    // are not converted and "." and ".." are not resolved, so do both here.
    std::filesystem::path full = path;
    if (!full.is_absolute()) {
        std::error_code ec;
        full = std::filesystem::absolute(path, ec);
        if (ec) return text;
    }
    text = full.lexically_normal().make_preferred().wstring();
    if (text.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + text.substr(2);
    if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\') return L"\\\\?\\" + text;
    return text; // a drive-relative or otherwise unusual name: left to the system
}

std::wstring stopEventName(unsigned long processId) {
    return L"Local\\QuorilOrvelle.Stop." + std::to_wstring(processId);
}

std::error_code lastError() {
    return errorCode(::GetLastError());
}

std::error_code errorCode(unsigned long code) {
    return {static_cast<int>(code), std::system_category()};
}

} // namespace orvelle::platform::windows

#endif
