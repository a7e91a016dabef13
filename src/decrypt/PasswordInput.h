#pragma once
/// The password arrives on standard input: one line (a trailing CR/LF is
/// dropped), or all of it when no newline follows. It is never taken from
/// the command line, where other users of the machine could read it.

#include <istream>
#include <optional>
#include <string>

namespace orvelle::decrypt {

/// Longest password accepted; a longer input is not a password.
constexpr std::size_t kMaxPasswordLength = 4096;

/// Reads the password from `in`; absent when the input is longer than
/// kMaxPasswordLength.
std::optional<std::string> readPassword(std::istream& in);

} // namespace orvelle::decrypt
