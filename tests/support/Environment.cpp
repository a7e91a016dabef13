#include "support/Environment.h"

#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace orvelle::test {

#ifdef _WIN32
namespace {
std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                             0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                          nullptr, nullptr);
    return text;
}
} // namespace

// The C runtime keeps its own copy of the environment (getenv, TZ) beside the
// process's (GetEnvironmentVariableW, child processes): both are changed. An
// empty value cannot be stored in the C runtime's copy (it means "remove").
void setVariable(const std::string& name, const std::string& value) {
    ::_wputenv_s(widen(name).c_str(), widen(value).c_str());
    ::SetEnvironmentVariableW(widen(name).c_str(), widen(value).c_str());
}

void unsetVariable(const std::string& name) {
    ::_wputenv_s(widen(name).c_str(), L"");
    ::SetEnvironmentVariableW(widen(name).c_str(), nullptr);
}

std::optional<std::string> variable(const std::string& name) {
    const std::wstring wideName = widen(name);
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (length == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    std::wstring value(length, L'\0');
    const DWORD got = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), length);
    value.resize(got < length ? got : 0);
    return narrow(value);
}

void setTimeZone(const char* zone) {
    zone ? setVariable("TZ", zone) : unsetVariable("TZ");
    ::_tzset();
}
#else
void setVariable(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void unsetVariable(const std::string& name) {
    ::unsetenv(name.c_str());
}

std::optional<std::string> variable(const std::string& name) {
    if (const char* value = std::getenv(name.c_str())) return std::string(value);
    return std::nullopt;
}

void setTimeZone(const char* zone) {
    zone ? setVariable("TZ", zone) : unsetVariable("TZ");
    ::tzset();
}
#endif

ScopedVariable::ScopedVariable(std::string name, const char* value)
    : m_name(std::move(name)), m_old(variable(m_name)) {
    value ? setVariable(m_name, value) : unsetVariable(m_name);
}

ScopedVariable::~ScopedVariable() {
    m_old ? setVariable(m_name, *m_old) : unsetVariable(m_name);
}

ScopedTimeZone::ScopedTimeZone(const char* zone) : m_old(variable("TZ")) {
    setTimeZone(zone);
}

ScopedTimeZone::~ScopedTimeZone() {
    setTimeZone(m_old ? m_old->c_str() : nullptr);
}

bool zoneDataInstalled() {
    const ScopedTimeZone berlin("Europe/Berlin");
    const std::time_t epoch = 0; // 01:00 in Berlin, 00:00 in UTC
    const std::tm* local = std::localtime(&epoch);
    return local && local->tm_hour == 1;
}

} // namespace orvelle::test
