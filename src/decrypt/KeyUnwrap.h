#pragma once
/// AES key unwrap (RFC 3394) through OpenSSL, with the default integrity value
/// A6A6A6A6A6A6A6A6. Keybag class keys and per-file keys are 32-byte keys
/// wrapped into 40 bytes.

#include <string>
#include <string_view>

namespace orvelle::decrypt {

enum class UnwrapResult {
    Ok,
    /// The integrity value did not come out as A6A6A6A6A6A6A6A6: wrong key.
    IntegrityFailed,
    /// The key-encryption key or the wrapped data has an unusable size.
    BadSize,
};

/// Unwraps `wrapped` (a multiple of 8 bytes, at least 24) with the AES key
/// `kek` (16, 24 or 32 bytes) into `out`.
UnwrapResult unwrapKey(std::string_view kek, std::string_view wrapped, std::string& out);

/// Wraps `key` (a multiple of 8 bytes, at least 16) with `kek`; the inverse of
/// unwrapKey (test backups are built with it). Empty on failure.
std::string wrapKey(std::string_view kek, std::string_view key);

} // namespace orvelle::decrypt
