#pragma once
/// The backup keybag: the list of class keys stored (wrapped with a key derived
/// from the backup password) in Manifest.plist under `BackupKeyBag`.
///
/// The keybag is a run of tag-length-value records, back to back:
///
/// | offset | size   | meaning                                   |
/// |--------|--------|-------------------------------------------|
/// | 0      | 4      | tag, four ASCII letters ("UUID", "SALT")  |
/// | 4      | 4      | length n of the value, big-endian         |
/// | 8      | n      | value (4-byte values are big-endian ints) |
///
/// Tags this program relies on. Before the second "UUID" they describe the
/// keybag itself; every later "UUID" opens one class key, and the tags that
/// follow it (up to the next "UUID") belong to that class key.
///
/// | tag  | size | where      | meaning                                          |
/// |------|------|------------|--------------------------------------------------|
/// | VERS | 4    | header     | keybag version                                   |
/// | TYPE | 4    | header     | keybag type (1 = backup)                         |
/// | UUID | 16   | both       | first: the keybag's own; later: a class key's    |
/// | SALT | 20   | header     | salt of the PBKDF2-HMAC-SHA1 round               |
/// | ITER | 4    | header     | iteration count of the PBKDF2-HMAC-SHA1 round    |
/// | DPSL | 20   | header     | salt of the PBKDF2-HMAC-SHA256 round (iOS 10.2+) |
/// | DPIC | 4    | header     | iteration count of the SHA-256 round             |
/// | CLAS | 4    | class key  | protection class number                          |
/// | WRAP | 4    | class key  | how the key is wrapped; bit value 2 = password   |
/// | KTYP | 4    | class key  | key type                                         |
/// | WPKY | 40   | class key  | the wrapped class key (RFC 3394, 32-byte key)    |
///
/// Other tags (HMCK, DPWT, PBKY, ...) are skipped.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle::decrypt {

constexpr std::size_t kTlvHeaderSize = 8;
constexpr std::size_t kUuidSize = 16;
constexpr std::size_t kWrappedKeySize = 40;
constexpr std::size_t kClassKeySize = 32;
/// A keybag holds a few dozen records; more than this is not a keybag.
constexpr std::size_t kMaxKeyBagRecords = 4096;
/// Class keys wrapped with the password-derived key carry this bit in WRAP.
constexpr std::uint32_t kWrapPasscode = 2;

/// One class key as stored in the keybag.
struct ClassKeyRecord {
    std::string uuid;                  // UUID value, 16 bytes
    std::uint32_t protectionClass = 0; // CLAS
    std::uint32_t wrap = 0;            // WRAP flags
    std::uint32_t keyType = 0;         // KTYP
    std::string wrappedKey;            // WPKY, 40 bytes when wrapped with the password
};

/// The keybag's header and its class keys.
struct KeyBag {
    std::uint32_t version = 0;      // VERS
    std::uint32_t type = 0;         // TYPE
    std::string uuid;               // the keybag's own UUID
    std::string salt;               // SALT
    std::uint32_t iterations = 0;   // ITER
    std::string dpSalt;             // DPSL, empty on backups made before iOS 10.2
    std::uint32_t dpIterations = 0; // DPIC
    std::vector<ClassKeyRecord> classKeys;

    /// True when the password goes through the PBKDF2-HMAC-SHA256 round first.
    bool hasDoubleProtection() const { return !dpSalt.empty(); }
};

/// Parses `bytes` into `out`. False with a readable reason in `error` when the
/// bytes are not a well-formed keybag (truncated record, bad sizes, no salt).
bool parseKeyBag(std::string_view bytes, KeyBag& out, std::string& error);

} // namespace orvelle::decrypt
