#pragma once
/// The unwrapped class keys of a keybag, by protection class, and the
/// unwrapping of per-file keys (4-byte little-endian class + wrapped key).

#include "decrypt/KeyDerivation.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace orvelle::decrypt {

struct KeyBag;

/// Size of a wrapped per-file key record: class (4, little-endian) + wrapped key (40).
constexpr std::size_t kProtectionClassPrefixSize = 4;

class ClassKeyRing {
public:
    enum class Result { Ok, WrongPassword, Corrupt };

    /// Unwraps every password-wrapped class key of `bag` with `passcodeKey`.
    /// A failed integrity check means the password is wrong; a class key of the
    /// wrong size means the keybag is damaged (`error` says which).
    Result unlock(const KeyBag& bag, const PasscodeKey& passcodeKey, std::string& error);

    /// The class key of `protectionClass`, or nullptr when the keybag has none.
    const std::string* classKey(std::uint32_t protectionClass) const;

    /// Unwraps the 32-byte key `wrapped` of a file of `protectionClass` into
    /// `out`. False with `error` set when the class is unknown, the wrapped key
    /// has the wrong size or fails its integrity check.
    bool unwrapFileKey(std::uint32_t protectionClass, std::string_view wrapped, std::string& out,
                       std::string& error) const;

private:
    std::map<std::uint32_t, std::string> m_keys;
};

/// Reads the little-endian protection class that prefixes a stored key record.
std::uint32_t readProtectionClass(std::string_view keyRecord);

} // namespace orvelle::decrypt
