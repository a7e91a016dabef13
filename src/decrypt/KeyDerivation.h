#pragma once
/// The key that unwraps the keybag's class keys, derived from the password.
///
/// Backups made since iOS 10.2 (keybag with DPSL/DPIC) take two rounds:
///   k   = PBKDF2-HMAC-SHA256(password, DPSL, DPIC, 32 bytes)
///   key = PBKDF2-HMAC-SHA1(k, SALT, ITER, 32 bytes)
/// Older backups take the SHA-1 round only, on the password itself.
/// The derivation is slow on purpose (ten million iterations take seconds):
/// do it once, and let a Ctrl+C or a parent's stop request end it part-way.

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
/// Iterations between two looks at the stop request: a few milliseconds of
/// work, so a stop is heard well within a second.
constexpr std::uint32_t kIterationsPerStopCheck = 4096;

using PasscodeKey = std::array<unsigned char, kPasscodeKeySize>;

/// Answers true when the derivation should give up (polled from the deriving thread).
using StopCheck = bool (*)();

/// How a derivation ended.
enum class Derivation {
    Done,
    Failed,       ///< the library failed, or a count or size is out of range
    Stopped,      ///< the stop check answered true part-way
    KeyBagDamaged ///< the keybag's iteration counts are out of range (derivePasscodeKey only)
};

/// PBKDF2-HMAC-SHA1 of `secret` into `outSize` bytes (RFC 8018), polling
/// `stop` (when given) every kIterationsPerStopCheck iterations.
Derivation pbkdf2Sha1(std::string_view secret, std::string_view salt, std::uint32_t iterations,
                      unsigned char* out, std::size_t outSize, StopCheck stop = nullptr);

/// PBKDF2-HMAC-SHA256 of `secret`, as pbkdf2Sha1.
Derivation pbkdf2Sha256(std::string_view secret, std::string_view salt, std::uint32_t iterations,
                        unsigned char* out, std::size_t outSize, StopCheck stop = nullptr);

/// Why the iteration counts of `bag` are not ones to derive with (a damaged
/// keybag); empty when they are.
std::string keyBagIterationProblem(const KeyBag& bag);

/// Derives the password key for `bag`, polling `stop` as pbkdf2Sha1 does.
/// Anything but Done sets `error` (empty for Stopped).
Derivation derivePasscodeKey(std::string_view password, const KeyBag& bag, PasscodeKey& out,
                             std::string& error, StopCheck stop = nullptr);

} // namespace orvelle::decrypt
