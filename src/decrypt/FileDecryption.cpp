#include "decrypt/FileDecryption.h"

#include "platform/File.h"

#include <cstdio>
#include <memory>
#include <openssl/evp.h>
#include <vector>

namespace orvelle::decrypt {

namespace {

constexpr std::size_t kChunkSize = 128 << 10; // a multiple of the block size

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The output file; removed on destruction unless committed.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~OutputFile() {
        if (m_committed) return;
        m_file.reset();
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    bool open(std::string& error) {
        m_file.reset(std::fopen(m_path.c_str(), "wb"));
        if (!m_file) error = "cannot create " + m_path.string();
        return m_file != nullptr;
    }
    bool write(const unsigned char* data, std::size_t size, std::string& error) {
        if (size == 0 || std::fwrite(data, 1, size, m_file.get()) == size) return true;
        error = "cannot write " + m_path.string();
        return false;
    }
    bool commit(std::string& error) {
        if (std::fclose(m_file.release()) != 0) {
            error = "cannot write " + m_path.string();
            return false;
        }
        m_committed = true;
        return true;
    }

private:
    std::filesystem::path m_path;
    std::unique_ptr<std::FILE, FileClose> m_file;
    bool m_committed = false;
};

// One buffer per thread, reused for every file (a fresh megabyte per file
// costs more than the decryption of a small one).
std::vector<unsigned char>& chunkBuffer() {
    thread_local std::vector<unsigned char> buffer(kChunkSize);
    return buffer;
}

// Length of the plain text once a valid PKCS#7 padding is taken off `block`
// (the last block); the whole block when the padding is not valid.
std::size_t unpaddedLength(const unsigned char* block) {
    const unsigned pad = block[kAesBlockSize - 1];
    if (pad == 0 || pad > kAesBlockSize) return kAesBlockSize;
    for (std::size_t i = kAesBlockSize - pad; i < kAesBlockSize; ++i)
        if (block[i] != pad) return kAesBlockSize;
    return kAesBlockSize - pad;
}

bool openSource(const std::filesystem::path& source, platform::InputFile& in, std::uint64_t& size,
                std::string& error) {
    std::error_code ec;
    if (!in.open(source, ec)) {
        error = "cannot open " + source.string() + ": " + ec.message();
        return false;
    }
    size = in.size(ec);
    if (ec) {
        error = "cannot read " + source.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

bool decryptFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                 std::string_view key, std::optional<std::uint64_t> plainSize, std::string& error) {
    if (key.size() != kAes256KeySize) {
        error = "file key has " + std::to_string(key.size()) + " bytes, expected 32";
        return false;
    }
    platform::InputFile in;
    std::uint64_t cipherSize = 0;
    if (!openSource(source, in, cipherSize, error)) return false;
    if (cipherSize % kAesBlockSize != 0) {
        error = source.string() + " is truncated (" + std::to_string(cipherSize) +
                " bytes, not a whole number of cipher blocks)";
        return false;
    }
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> ctx(EVP_CIPHER_CTX_new());
    const unsigned char zeroIv[kAesBlockSize] = {};
    if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr,
                                   reinterpret_cast<const unsigned char*>(key.data()), zeroIv) != 1) {
        error = "cannot set up AES-256-CBC";
        return false;
    }
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);

    OutputFile out(destination);
    if (!out.open(error)) return false;
    std::vector<unsigned char>& buffer = chunkBuffer();
    std::uint64_t offset = 0;
    std::uint64_t written = 0;
    const std::uint64_t limit = plainSize.value_or(UINT64_MAX);
    while (offset < cipherSize) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, cipherSize - offset));
        std::error_code ec;
        if (in.readAt(offset, buffer.data(), want, ec) != want) {
            error =
                "cannot read " + source.string() + (ec ? ": " + ec.message() : std::string(": file shrank"));
            return false;
        }
        int plainLength = 0;
        if (EVP_DecryptUpdate(ctx.get(), buffer.data(), &plainLength, buffer.data(),
                              static_cast<int>(want)) != 1 ||
            plainLength != static_cast<int>(want)) {
            error = "AES-256-CBC decryption of " + source.string() + " failed";
            return false;
        }
        offset += want;
        std::size_t usable = want;
        if (offset == cipherSize)
            usable = want - kAesBlockSize + unpaddedLength(buffer.data() + want - kAesBlockSize);
        const std::size_t keep = static_cast<std::size_t>(std::min<std::uint64_t>(usable, limit - written));
        if (!out.write(buffer.data(), keep, error)) return false;
        written += keep;
    }
    if (plainSize && written < *plainSize) {
        error = source.string() + " is truncated (" + std::to_string(written) + " of " +
                std::to_string(*plainSize) + " bytes)";
        return false;
    }
    return out.commit(error);
}

bool copyStoredFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                    std::string& error) {
    platform::InputFile in;
    std::uint64_t size = 0;
    if (!openSource(source, in, size, error)) return false;
    OutputFile out(destination);
    if (!out.open(error)) return false;
    std::vector<unsigned char>& buffer = chunkBuffer();
    for (std::uint64_t offset = 0; offset < size;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, size - offset));
        std::error_code ec;
        if (in.readAt(offset, buffer.data(), want, ec) != want) {
            error = "cannot read " + source.string();
            return false;
        }
        if (!out.write(buffer.data(), want, error)) return false;
        offset += want;
    }
    return out.commit(error);
}

} // namespace orvelle::decrypt
