#pragma once
/// Decrypts one stored file: AES-256-CBC with a zero IV, PKCS#7 padding
/// removed. The file's own padding gives its length, not the size a manifest
/// recorded (such sizes go stale); a disagreement is reported. Streams through a fixed
/// buffer of kDecryptChunkSize, decrypted in place, so file size does not
/// matter.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct evp_cipher_ctx_st;

namespace orvelle::decrypt {

constexpr std::size_t kAesBlockSize = 16;
constexpr std::size_t kAes256KeySize = 32;
/// Bytes read, decrypted and written at a time. Small enough that the chunk
/// stays in the core's own cache from the read through the decryption to the
/// write (measured: 64 KiB beats 1 MiB chunks by a third with two workers);
/// the calls per chunk cost little next to that. A multiple of the block size.
constexpr std::size_t kDecryptChunkSize = 64 << 10;

/// The buffer and cipher context that decrypting and copying reuse for every
/// file. One per worker thread, owned by the worker's caller (a thread_local
/// with a destructor would end the thread badly with some runtimes); not to
/// be shared between threads.
class FileDecrypter {
public:
    FileDecrypter();
    ~FileDecrypter();
    FileDecrypter(FileDecrypter&&) noexcept;
    FileDecrypter& operator=(FileDecrypter&&) noexcept;

    /// As decryptFile() below.
    bool decrypt(const std::filesystem::path& source, const std::filesystem::path& destination,
                 std::string_view key, std::optional<std::uint64_t> recordedSize, std::string& error,
                 std::string& warning);
    /// As copyStoredFile() below.
    bool copy(const std::filesystem::path& source, const std::filesystem::path& destination, std::string& error);

private:
    struct ContextFree {
        void operator()(evp_cipher_ctx_st* context) const;
    };
    std::vector<unsigned char> m_buffer;
    std::unique_ptr<evp_cipher_ctx_st, ContextFree> m_context;
};

/// Decrypts `source` into `destination` (replaced) with the 32-byte `key`.
/// The output ends where the last block's PKCS#7 padding says. Without a valid
/// padding every decrypted byte is kept, unless `recordedSize` falls inside
/// the last block (a file stored unpadded). `recordedSize` never cuts a file
/// short nor fails it: when it differs from the length written, `warning`
/// says so (else it is left empty). False with `error` set on failure; a
/// partly written destination is removed. Safe to call from several threads
/// at once (each call sets up its own FileDecrypter).
bool decryptFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                 std::string_view key, std::optional<std::uint64_t> recordedSize, std::string& error,
                 std::string& warning);

/// Copies `source` to `destination` (replaced) unchanged, for files stored
/// without a key. False with `error` set on failure; a partial copy is removed.
/// Safe to call from several threads at once.
bool copyStoredFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                    std::string& error);

} // namespace orvelle::decrypt
