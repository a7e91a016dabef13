#pragma once
/// Decrypts one stored file: AES-256-CBC with a zero IV, PKCS#7 padding
/// removed, the result cut to the recorded plain size. Streams through a fixed
/// buffer of kDecryptChunkSize per thread, decrypted in place, so file size
/// does not matter. Safe to call from several threads at once.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvelle::decrypt {

constexpr std::size_t kAesBlockSize = 16;
constexpr std::size_t kAes256KeySize = 32;
/// Bytes read, decrypted and written at a time. Small enough that the chunk
/// stays in the core's own cache from the read through the decryption to the
/// write (measured: 64 KiB beats 1 MiB chunks by a third with two workers);
/// the calls per chunk cost little next to that. A multiple of the block size.
constexpr std::size_t kDecryptChunkSize = 64 << 10;

/// Decrypts `source` into `destination` (replaced) with the 32-byte `key`.
/// When `plainSize` is given the output is cut to it, and a file that yields
/// fewer bytes is reported as truncated. False with `error` set on failure;
/// a partly written destination is removed.
bool decryptFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                 std::string_view key, std::optional<std::uint64_t> plainSize, std::string& error);

/// Copies `source` to `destination` (replaced) unchanged, for files stored
/// without a key. False with `error` set on failure; a partial copy is removed.
bool copyStoredFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                    std::string& error);

} // namespace orvelle::decrypt
