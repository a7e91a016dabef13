#pragma once
/// Turns a plain fixture backup into an encrypted one with a known password,
/// the way iTunes/Finder lay it out:
///
/// - Manifest.db backups: every stored file is encrypted with a key of its
///   own, whose wrapped form goes into the file's archived record (the `file`
///   column of `Files`); Manifest.db itself is encrypted with the key that
///   Manifest.plist holds as ManifestKey.
/// - Manifest.mbdb backups: every stored file is encrypted; its wrapped key
///   goes into the record's encryption-key string; the manifest stays plain.
///
/// Manifest.plist gets the keybag (salts and iteration counts from the
/// settings, so tests stay fast) and IsEncrypted. Other files at the top of
/// the backup (Info.plist, Status.plist) are copied as they are.
/// Failures throw std::runtime_error (this is test code).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace orvelle::test {

struct EncryptionSettings {
    std::string password = "orvelle";
    /// Keybag with DPSL/DPIC (iOS 10.2 and later); false: the SHA-1 round only.
    bool doubleProtection = true;
    std::uint32_t iterations = 8;    // ITER
    std::uint32_t dpIterations = 8;  // DPIC
    std::uint32_t fileClass = 3;     // protection class of the file keys
    std::uint32_t manifestClass = 4; // protection class of the ManifestKey
    std::uint32_t seed = 1;          // keys and salts are drawn from this seed
    /// Test hook: may change the key record (4-byte class + wrapped key) of
    /// the file with this domain-relative path before it is stored.
    std::function<void(const std::string& domainPath, std::string& keyRecord)> keyRecordHook;
    /// Test hook: may change the size the manifest records for the file with
    /// this domain-relative path (the stored bytes stay as they are).
    std::function<void(const std::string& domainPath, std::uint64_t& size)> recordedSizeHook;
};

class BackupEncrypter {
public:
    explicit BackupEncrypter(EncryptionSettings settings = {});

    /// Writes the encrypted form of the plain backup in `plainFolder` into
    /// `encryptedFolder` (created). The plain backup is only read.
    void encrypt(const std::filesystem::path& plainFolder, const std::filesystem::path& encryptedFolder);

    /// The keybag bytes written into Manifest.plist by the last encrypt.
    const std::string& keyBag() const { return m_keyBag; }

    /// Writes a Manifest.plist with `keyBag`, `manifestKey` (left out when
    /// empty) and IsEncrypted true (used to plant damaged keybags).
    static void writeManifestPlist(const std::filesystem::path& path, const std::string& keyBag,
                                   const std::string& manifestKey);

    /// AES-256-CBC with a zero IV and PKCS#7 padding, as backups store files.
    static std::string encryptBytes(const std::string& key, const std::string& plain);

private:
    std::string randomBytes(std::size_t count);
    void buildKeyBag();
    std::string fileKeyRecord(const std::string& domainPath, std::string& fileKey);
    std::uint64_t recordedSize(const std::string& domainPath, std::uint64_t size) const;
    void encryptManifestDbBackup(const std::filesystem::path& plain, const std::filesystem::path& out);
    void encryptMbdbBackup(const std::filesystem::path& plain, const std::filesystem::path& out);

    EncryptionSettings m_settings;
    std::uint64_t m_state;
    std::string m_keyBag;
    std::string m_passcodeKey;
    std::string m_fileClassKey;
    std::string m_manifestClassKey;
};

} // namespace orvelle::test
