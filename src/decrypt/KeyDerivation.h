#pragma once
/// The key that unwraps the keybag's class keys, derived from the password.
///
/// Backups made since iOS 10.2 (keybag with DPSL/DPIC) take two rounds:
///   k   = PBKDF2-HMAC-SHA256(password, DPSL, DPIC, 32 bytes)
///   key = PBKDF2-HMAC-SHA1(k, SALT, ITER, 32 bytes)
/// Older backups take the SHA-1 round only, on the password itself.
/// The derivation is slow on purpose (millions of iterations): do it once.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvelle::decrypt {

struct KeyBag;

constexpr std::size_t kPasscodeKeySize = 32;
/// Real keybags use up to ten million iterations; a larger count is taken for
/// a damaged keybag rather than spending hours on it.
constexpr std::uint32_t kMaxIterations = 50'000'000;

using PasscodeKey = std::array<unsigned char, kPasscodeKeySize>;

/// PBKDF2-HMAC-SHA1 of `secret` (OpenSSL); false on failure or a bad count.
bool pbkdf2Sha1(std::string_view secret, std::string_view salt, std::uint32_t iterations, unsigned char* out,
                std::size_t outSize);

/// PBKDF2-HMAC-SHA256 of `secret` (OpenSSL); false on failure or a bad count.
bool pbkdf2Sha256(std::string_view secret, std::string_view salt, std::uint32_t iterations,
                  unsigned char* out, std::size_t outSize);

/// Derives the password key for `bag`. False with `error` set when the
/// keybag's iteration counts are out of range or the library fails.
bool derivePasscodeKey(std::string_view password, const KeyBag& bag, PasscodeKey& out, std::string& error);

} // namespace orvelle::decrypt
