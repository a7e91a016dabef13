#include "decrypt/KeyUnwrap.h"

#include <memory>
#include <openssl/evp.h>

namespace orvelle::decrypt {

namespace {

constexpr std::size_t kSemiblock = 8;
constexpr std::size_t kMaxWrapped = 1024;

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

const EVP_CIPHER* wrapCipher(std::size_t kekSize) {
    switch (kekSize) {
    case 16:
        return EVP_aes_128_wrap();
    case 24:
        return EVP_aes_192_wrap();
    case 32:
        return EVP_aes_256_wrap();
    default:
        return nullptr;
    }
}

// Runs the wrap (encrypt = 1) or unwrap (encrypt = 0) cipher over `in`.
// False when the library refuses, which for unwrap means a failed integrity check.
bool runWrap(std::string_view kek, std::string_view in, int encrypt, std::string& out) {
    const EVP_CIPHER* cipher = wrapCipher(kek.size());
    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!cipher || !ctx) return false;
    EVP_CIPHER_CTX_set_flags(ctx.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr, reinterpret_cast<const unsigned char*>(kek.data()),
                          nullptr, encrypt) != 1)
        return false;
    std::string buffer(in.size() + kSemiblock, '\0');
    int written = 0;
    if (EVP_CipherUpdate(ctx.get(), reinterpret_cast<unsigned char*>(buffer.data()), &written,
                         reinterpret_cast<const unsigned char*>(in.data()),
                         static_cast<int>(in.size())) != 1 ||
        written <= 0)
        return false;
    int tail = 0;
    if (EVP_CipherFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(buffer.data()) + written, &tail) != 1)
        return false;
    buffer.resize(static_cast<std::size_t>(written + tail));
    out = std::move(buffer);
    return true;
}

} // namespace

UnwrapResult unwrapKey(std::string_view kek, std::string_view wrapped, std::string& out) {
    out.clear();
    if (!wrapCipher(kek.size()) || wrapped.size() < 3 * kSemiblock || wrapped.size() % kSemiblock != 0 ||
        wrapped.size() > kMaxWrapped)
        return UnwrapResult::BadSize;
    if (!runWrap(kek, wrapped, 0, out) || out.size() != wrapped.size() - kSemiblock) {
        out.clear();
        return UnwrapResult::IntegrityFailed;
    }
    return UnwrapResult::Ok;
}

std::string wrapKey(std::string_view kek, std::string_view key) {
    std::string out;
    if (key.size() < 2 * kSemiblock || key.size() % kSemiblock != 0 || key.size() > kMaxWrapped ||
        !runWrap(kek, key, 1, out))
        return {};
    return out;
}

} // namespace orvelle::decrypt
