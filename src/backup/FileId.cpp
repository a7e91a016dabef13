#include "backup/FileId.h"

#include <openssl/evp.h>

namespace orvelle {

FileIdHasher::FileIdHasher() : m_context(EVP_MD_CTX_new()), m_sha1(EVP_MD_fetch(nullptr, "SHA1", nullptr)) {}

FileIdHasher::~FileIdHasher() {
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(m_context));
    EVP_MD_free(static_cast<EVP_MD*>(m_sha1));
}

std::string FileIdHasher::fileIdOf(std::string_view domainPath) {
    auto* ctx = static_cast<EVP_MD_CTX*>(m_context);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    auto* sha1 = static_cast<EVP_MD*>(m_sha1);
    if (!ctx || !sha1 || EVP_DigestInit_ex2(ctx, sha1, nullptr) != 1 ||
        EVP_DigestUpdate(ctx, domainPath.data(), domainPath.size()) != 1 ||
        EVP_DigestFinal_ex(ctx, digest, &length) != 1 || length * 2 != kFileIdLength)
        return {};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string id(kFileIdLength, '0');
    for (unsigned int i = 0; i < length; ++i) {
        id[2 * i] = kDigits[digest[i] >> 4];
        id[2 * i + 1] = kDigits[digest[i] & 15];
    }
    return id;
}

std::string fileIdOf(std::string_view domainPath) {
    FileIdHasher hasher;
    return hasher.fileIdOf(domainPath);
}

std::string fileIdOf(std::string_view domain, std::string_view relativePath) {
    std::string text;
    text.reserve(domain.size() + 1 + relativePath.size());
    text.append(domain).append("-").append(relativePath);
    return fileIdOf(text);
}

bool isFileId(std::string_view text) {
    if (text.size() != kFileIdLength) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

} // namespace orvelle
