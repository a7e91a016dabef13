#include "decrypt/FileDecryption.h"

#include "platform/File.h"
#include "platform/OutputFile.h"

#include <openssl/evp.h>
#include <vector>

namespace orvelle::decrypt {

namespace {

constexpr std::size_t kChunkSize = kDecryptChunkSize;
static_assert(kChunkSize % kAesBlockSize == 0);

// The output file, created at the first write (or at the commit of an empty
// file): creating files in one folder takes the folder's lock, so a worker
// reads and decrypts its first chunk before it asks for it, while another
// worker creates. The destination is removed on destruction unless committed,
// as a failed file must not leave an older file of that name behind.
class PendingOutput {
public:
    explicit PendingOutput(std::filesystem::path path) : m_path(std::move(path)) {}
    ~PendingOutput() {
        if (m_committed) return;
        std::error_code ignored;
        m_file.close(ignored);
        platform::removeFile(m_path);
    }
    bool write(const unsigned char* data, std::size_t size, std::string& error) {
        if (!open(error)) return false;
        std::error_code ec;
        if (size == 0 || m_file.writeAt(m_offset, data, size, ec)) {
            m_offset += size;
            return true;
        }
        error = "cannot write " + m_path.string() + ": " + ec.message();
        return false;
    }
    bool commit(std::string& error) {
        if (!open(error)) return false;
        std::error_code ec;
        if (!m_file.close(ec)) {
            error = "cannot write " + m_path.string() + ": " + ec.message();
            return false;
        }
        m_committed = true;
        return true;
    }

private:
    bool open(std::string& error) {
        std::error_code ec;
        // Decrypted files are the owner's data: for the user alone, wherever they go.
        m_file.setPrivateToUser(true);
        if (m_file.isOpen() || m_file.create(m_path, false, ec)) return true;
        error = "cannot create " + m_path.string() + ": " + ec.message();
        return false;
    }

    std::filesystem::path m_path;
    platform::OutputFile m_file;
    std::uint64_t m_offset = 0;
    bool m_committed = false;
};

// Length of the plain text once a valid PKCS#7 padding is taken off `block`
// (the last block); nothing when the padding is not valid.
std::optional<std::size_t> unpaddedLength(const unsigned char* block) {
    const unsigned pad = block[kAesBlockSize - 1];
    if (pad == 0 || pad > kAesBlockSize) return std::nullopt;
    for (std::size_t i = kAesBlockSize - pad; i < kAesBlockSize; ++i)
        if (block[i] != pad) return std::nullopt;
    return kAesBlockSize - pad;
}

// The length of the decrypted file. Its own padding decides: manifests record
// sizes that went stale when a database grew or shrank after it was listed,
// and cutting to such a size loses rows. Without a valid padding the recorded
// size is taken only where it falls inside the last block (a file stored
// unpadded); otherwise every decrypted byte is kept. A recorded size that
// disagrees with the length kept is described in `warning`.
std::uint64_t plainLength(std::uint64_t cipherSize, const unsigned char* lastBlock,
                          std::optional<std::uint64_t> recordedSize, std::string& warning) {
    std::uint64_t length = cipherSize;
    bool padded = false;
    if (cipherSize >= kAesBlockSize) {
        if (const auto tail = unpaddedLength(lastBlock)) {
            length = cipherSize - kAesBlockSize + *tail;
            padded = true;
        } else if (recordedSize && *recordedSize > cipherSize - kAesBlockSize && *recordedSize <= cipherSize) {
            length = *recordedSize;
        }
    }
    if (recordedSize && *recordedSize != length)
        warning = "the manifest records " + std::to_string(*recordedSize) + " bytes, the decrypted file has " +
                  std::to_string(length) + (padded ? "" : " (no valid padding)") + "; all " +
                  std::to_string(length) + " bytes are kept";
    return length;
}

bool openSource(const std::filesystem::path& source, platform::InputFile& in, std::uint64_t& size,
                std::string& error) {
    std::error_code ec;
    if (!in.open(source, ec)) {
        // A FIFO, device, socket or link stands where the encrypted file
        // should be: it is never read (a link could lead out of the backup).
        error = platform::isNotRegularFile(ec) ? "not a regular file: skipped"
                                               : "cannot open " + source.string() + ": " + ec.message();
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

void FileDecrypter::ContextFree::operator()(evp_cipher_ctx_st* context) const {
    EVP_CIPHER_CTX_free(context);
}

// The buffer stays in the worker's core cache from file to file; the cipher
// context is set up again for every file.
FileDecrypter::FileDecrypter() : m_buffer(kChunkSize), m_context(EVP_CIPHER_CTX_new()) {}
FileDecrypter::~FileDecrypter() = default;
FileDecrypter::FileDecrypter(FileDecrypter&&) noexcept = default;
FileDecrypter& FileDecrypter::operator=(FileDecrypter&&) noexcept = default;

bool FileDecrypter::decrypt(const std::filesystem::path& source, const std::filesystem::path& destination,
                            std::string_view key, std::optional<std::uint64_t> recordedSize, std::string& error,
                            std::string& warning) {
    warning.clear();
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
    EVP_CIPHER_CTX* ctx = m_context.get();
    const unsigned char zeroIv[kAesBlockSize] = {};
    if (!ctx || EVP_DecryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr,
                                   reinterpret_cast<const unsigned char*>(key.data()), zeroIv) != 1) {
        error = "cannot set up AES-256-CBC";
        return false;
    }
    EVP_CIPHER_CTX_set_padding(ctx, 0);

    PendingOutput out(destination);
    std::vector<unsigned char>& buffer = m_buffer;
    std::uint64_t offset = 0;
    std::uint64_t length = cipherSize; // known once the last block is decrypted
    if (cipherSize == 0) length = plainLength(0, nullptr, recordedSize, warning);
    while (offset < cipherSize) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, cipherSize - offset));
        std::error_code ec;
        if (in.readAt(offset, buffer.data(), want, ec) != want) {
            error =
                "cannot read " + source.string() + (ec ? ": " + ec.message() : std::string(": file shrank"));
            return false;
        }
        int decrypted = 0;
        if (EVP_DecryptUpdate(ctx, buffer.data(), &decrypted, buffer.data(), static_cast<int>(want)) != 1 ||
            decrypted != static_cast<int>(want)) {
            error = "AES-256-CBC decryption of " + source.string() + " failed";
            return false;
        }
        // The chunk size is a multiple of the block size, so the last chunk
        // holds the whole last block.
        if (offset + want == cipherSize)
            length = plainLength(cipherSize, buffer.data() + want - kAesBlockSize, recordedSize, warning);
        const std::size_t keep = static_cast<std::size_t>(std::min<std::uint64_t>(want, length - offset));
        if (!out.write(buffer.data(), keep, error)) return false;
        offset += want;
    }
    return out.commit(error);
}

bool FileDecrypter::copy(const std::filesystem::path& source, const std::filesystem::path& destination,
                         std::string& error) {
    platform::InputFile in;
    std::uint64_t size = 0;
    if (!openSource(source, in, size, error)) return false;
    PendingOutput out(destination);
    std::vector<unsigned char>& buffer = m_buffer;
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

bool decryptFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                 std::string_view key, std::optional<std::uint64_t> recordedSize, std::string& error,
                 std::string& warning) {
    return FileDecrypter().decrypt(source, destination, key, recordedSize, error, warning);
}

bool copyStoredFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                    std::string& error) {
    return FileDecrypter().copy(source, destination, error);
}

} // namespace orvelle::decrypt
