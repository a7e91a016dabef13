#include "decrypt/KeyDerivation.h"

#include "decrypt/KeyBag.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

namespace orvelle::decrypt {

namespace {

struct MacFree {
    void operator()(EVP_MAC* mac) const { EVP_MAC_free(mac); }
    void operator()(EVP_MAC_CTX* context) const { EVP_MAC_CTX_free(context); }
};

// The largest digest PBKDF2 runs on here (SHA-256: 32 bytes).
constexpr std::size_t kMaxDigestSize = EVP_MAX_MD_SIZE;

// PBKDF2 (RFC 8018, section 5.2): block i of the output is
//   T_i = U_1 xor U_2 xor ... xor U_c,  U_1 = HMAC(P, S || INT(i)),  U_j = HMAC(P, U_{j-1}).
// Done here rather than by the library's PKCS5_PBKDF2_HMAC so the loop can
// look at the stop request: that call runs all iterations in one go.
// The HMAC is keyed with the password once; each U_j re-initialises it
// without a key, which only resets it to the keyed state, as the library's
// own PBKDF2 does.
Derivation pbkdf2(const char* digest, std::string_view secret, std::string_view salt,
                  std::uint32_t iterations, unsigned char* out, std::size_t outSize, StopCheck stop) {
    if (iterations == 0 || iterations > kMaxIterations) return Derivation::Failed;
    const std::unique_ptr<EVP_MAC, MacFree> mac(EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr));
    if (!mac) return Derivation::Failed;
    const std::unique_ptr<EVP_MAC_CTX, MacFree> hmac(EVP_MAC_CTX_new(mac.get()));
    if (!hmac) return Derivation::Failed;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, const_cast<char*>(digest), 0),
        OSSL_PARAM_construct_end()};
    // An empty password is a valid key; the library wants a non-null pointer for it.
    static const unsigned char kNoKey = 0;
    const auto* key = secret.empty() ? &kNoKey : reinterpret_cast<const unsigned char*>(secret.data());
    if (EVP_MAC_init(hmac.get(), key, secret.size(), params) != 1) return Derivation::Failed;
    const std::size_t digestSize = EVP_MAC_CTX_get_mac_size(hmac.get());
    if (digestSize == 0 || digestSize > kMaxDigestSize) return Derivation::Failed;

    EVP_MAC_CTX* const context = hmac.get();
    unsigned char u[kMaxDigestSize];
    unsigned char t[kMaxDigestSize];
    std::size_t written = 0;
    // Blocks are numbered from 1; a 32-byte key takes one or two of them.
    for (std::uint32_t block = 1; written < outSize; ++block) {
        const unsigned char index[4] = {
            static_cast<unsigned char>(block >> 24), static_cast<unsigned char>(block >> 16),
            static_cast<unsigned char>(block >> 8), static_cast<unsigned char>(block)};
        std::size_t size = 0;
        if (EVP_MAC_init(context, nullptr, 0, nullptr) != 1 ||
            EVP_MAC_update(context, reinterpret_cast<const unsigned char*>(salt.data()), salt.size()) != 1 ||
            EVP_MAC_update(context, index, sizeof index) != 1 ||
            EVP_MAC_final(context, u, &size, sizeof u) != 1 || size != digestSize)
            return Derivation::Failed;
        std::memcpy(t, u, digestSize);
        for (std::uint32_t j = 1; j < iterations; ++j) {
            if (stop && j % kIterationsPerStopCheck == 0 && stop()) return Derivation::Stopped;
            if (EVP_MAC_init(context, nullptr, 0, nullptr) != 1 ||
                EVP_MAC_update(context, u, digestSize) != 1 ||
                EVP_MAC_final(context, u, &size, sizeof u) != 1)
                return Derivation::Failed;
            for (std::size_t k = 0; k < digestSize; ++k)
                t[k] ^= u[k];
        }
        const std::size_t part = std::min(digestSize, outSize - written);
        std::memcpy(out + written, t, part);
        written += part;
    }
    return Derivation::Done;
}

} // namespace

Derivation pbkdf2Sha1(std::string_view secret, std::string_view salt, std::uint32_t iterations,
                      unsigned char* out, std::size_t outSize, StopCheck stop) {
    return pbkdf2("SHA1", secret, salt, iterations, out, outSize, stop);
}

Derivation pbkdf2Sha256(std::string_view secret, std::string_view salt, std::uint32_t iterations,
                        unsigned char* out, std::size_t outSize, StopCheck stop) {
    return pbkdf2("SHA256", secret, salt, iterations, out, outSize, stop);
}

std::string keyBagIterationProblem(const KeyBag& bag) {
    auto outOfRange = [](const char* tag, std::uint32_t count) {
        return "its iteration count " + std::string(tag) + " is " + std::to_string(count) +
               ", out of range (1 to " + std::to_string(kMaxIterations) + ")";
    };
    if (bag.iterations == 0 || bag.iterations > kMaxIterations) return outOfRange("ITER", bag.iterations);
    if (bag.hasDoubleProtection() && (bag.dpIterations == 0 || bag.dpIterations > kMaxIterations))
        return outOfRange("DPIC", bag.dpIterations);
    return {};
}

Derivation derivePasscodeKey(std::string_view password, const KeyBag& bag, PasscodeKey& out,
                             std::string& error, StopCheck stop) {
    error.clear();
    if (const std::string problem = keyBagIterationProblem(bag); !problem.empty()) {
        error = problem;
        return Derivation::KeyBagDamaged;
    }
    std::string secret(password);
    if (bag.hasDoubleProtection()) {
        PasscodeKey first{};
        const Derivation round =
            pbkdf2Sha256(password, bag.dpSalt, bag.dpIterations, first.data(), first.size(), stop);
        if (round != Derivation::Done) {
            if (round == Derivation::Failed) error = "key derivation (PBKDF2-HMAC-SHA256) failed";
            return round;
        }
        secret.assign(reinterpret_cast<const char*>(first.data()), first.size());
    }
    const Derivation round = pbkdf2Sha1(secret, bag.salt, bag.iterations, out.data(), out.size(), stop);
    if (round == Derivation::Failed) error = "key derivation (PBKDF2-HMAC-SHA1) failed";
    return round;
}

} // namespace orvelle::decrypt
