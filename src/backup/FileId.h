#pragma once
/// File IDs: a stored file is named by the SHA-1 of "domain-relativePath",
/// written as 40 lower-case hexadecimal digits (leading zeros kept).

#include <cstddef>
#include <string>
#include <string_view>

namespace orvelle {

constexpr std::size_t kFileIdLength = 40;

/// Computes file IDs with one reusable digest context (cheap per call).
class FileIdHasher {
public:
    FileIdHasher();
    ~FileIdHasher();
    FileIdHasher(const FileIdHasher&) = delete;
    FileIdHasher& operator=(const FileIdHasher&) = delete;

    /// The file ID of `domainPath` (empty only when the digest fails).
    std::string fileIdOf(std::string_view domainPath);

private:
    void* m_context; // EVP_MD_CTX, reused for every digest
    void* m_sha1;    // EVP_MD fetched once: an implicit fetch per digest costs more than the digest
};

/// The file ID of `domainPath` (one-off form of FileIdHasher).
std::string fileIdOf(std::string_view domainPath);

/// The file ID of `domain` + "-" + `relativePath`.
std::string fileIdOf(std::string_view domain, std::string_view relativePath);

/// True when `text` is 40 lower-case hexadecimal digits.
bool isFileId(std::string_view text);

} // namespace orvelle
