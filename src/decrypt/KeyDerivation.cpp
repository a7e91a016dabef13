#include "decrypt/KeyDerivation.h"

#include "decrypt/KeyBag.h"

#include <limits>
#include <openssl/evp.h>

namespace orvelle::decrypt {

namespace {

bool pbkdf2(const EVP_MD* digest, std::string_view secret, std::string_view salt, std::uint32_t iterations,
            unsigned char* out, std::size_t outSize) {
    constexpr auto kIntMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (iterations == 0 || iterations > kMaxIterations || secret.size() > kIntMax || salt.size() > kIntMax ||
        outSize > kIntMax)
        return false;
    return PKCS5_PBKDF2_HMAC(secret.data(), static_cast<int>(secret.size()),
                             reinterpret_cast<const unsigned char*>(salt.data()),
                             static_cast<int>(salt.size()), static_cast<int>(iterations), digest,
                             static_cast<int>(outSize), out) == 1;
}

} // namespace

bool pbkdf2Sha1(std::string_view secret, std::string_view salt, std::uint32_t iterations, unsigned char* out,
                std::size_t outSize) {
    return pbkdf2(EVP_sha1(), secret, salt, iterations, out, outSize);
}

bool pbkdf2Sha256(std::string_view secret, std::string_view salt, std::uint32_t iterations,
                  unsigned char* out, std::size_t outSize) {
    return pbkdf2(EVP_sha256(), secret, salt, iterations, out, outSize);
}

bool derivePasscodeKey(std::string_view password, const KeyBag& bag, PasscodeKey& out, std::string& error) {
    if (bag.iterations > kMaxIterations || bag.dpIterations > kMaxIterations) {
        error = "keybag iteration count is out of range";
        return false;
    }
    std::string secret(password);
    if (bag.hasDoubleProtection()) {
        PasscodeKey first{};
        if (!pbkdf2Sha256(password, bag.dpSalt, bag.dpIterations, first.data(), first.size())) {
            error = "key derivation (PBKDF2-HMAC-SHA256) failed";
            return false;
        }
        secret.assign(reinterpret_cast<const char*>(first.data()), first.size());
    }
    if (!pbkdf2Sha1(secret, bag.salt, bag.iterations, out.data(), out.size())) {
        error = "key derivation (PBKDF2-HMAC-SHA1) failed";
        return false;
    }
    return true;
}

} // namespace orvelle::decrypt
