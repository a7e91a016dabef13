#pragma once
/// Environment variables for tests, on every system: set, unset, and set for
/// one scope only. Changes reach this process's C runtime and programs it
/// starts afterwards.

#include <optional>
#include <string>

namespace orvelle::test {

/// Sets `name` to the UTF-8 text `value`.
void setVariable(const std::string& name, const std::string& value);
/// Removes `name` from the environment.
void unsetVariable(const std::string& name);
/// The value of `name`, or nothing when it is unset.
std::optional<std::string> variable(const std::string& name);

/// Sets the time zone variable TZ (or unsets it when `zone` is null) and has
/// the C runtime read it again.
void setTimeZone(const char* zone);

/// True when the system's time-zone data answers for named zones such as
/// "Europe/Berlin"; without it the C runtime quietly takes them for UTC, so
/// tests of such zones skip instead of testing UTC under another name.
bool zoneDataInstalled();

/// Sets (or, given null, unsets) a variable until the scope ends, then puts
/// back what was there before.
class ScopedVariable {
public:
    ScopedVariable(std::string name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

/// Pins the time zone until the scope ends, then puts back the previous TZ
/// (or none) and has the C runtime read it again.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_old;
};

} // namespace orvelle::test
