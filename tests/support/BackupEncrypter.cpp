#include "support/BackupEncrypter.h"

#include "decrypt/KeyUnwrap.h"
#include "platform/PathText.h"
#include "support/TempFolder.h"

#include <memory>
#include <openssl/evp.h>
#include <plist/plist.h>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace orvelle::test {

namespace fs = std::filesystem;

namespace {

void require(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("BackupEncrypter: " + what);
}

std::string bigEndian32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string littleEndian32(std::uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string tlv(const std::string& tag, const std::string& value) {
    return tag + bigEndian32(static_cast<std::uint32_t>(value.size())) + value;
}

std::string pbkdf2(const EVP_MD* md, const std::string& secret, const std::string& salt,
                   std::uint32_t iterations) {
    std::string out(32, '\0');
    require(PKCS5_PBKDF2_HMAC(secret.data(), int(secret.size()),
                              reinterpret_cast<const unsigned char*>(salt.data()), int(salt.size()),
                              int(iterations), md, 32, reinterpret_cast<unsigned char*>(out.data())) == 1,
            "PBKDF2");
    return out;
}

struct PlistFree {
    void operator()(plist_t p) const { plist_free(p); }
};
using Plist = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistFree>;

std::string toBinary(plist_t root) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::string out(bytes, length);
    plist_to_bin_free(bytes);
    return out;
}

plist_t dataNode(const std::string& bytes) {
    return plist_new_data(bytes.data(), bytes.size());
}

// An archived MBFile as the `file` column holds it.
std::string archivedFileRecord(const std::string& domain, const std::string& relativePath, std::uint64_t size,
                               std::uint32_t protectionClass, const std::string& keyRecord) {
    Plist root(plist_new_dict());
    plist_dict_set_item(root.get(), "$version", plist_new_uint(100000));
    plist_dict_set_item(root.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_dict_set_item(root.get(), "$top", top);

    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_t file = plist_new_dict();
    plist_dict_set_item(file, "$class", plist_new_uid(5));
    plist_dict_set_item(file, "RelativePath", plist_new_uid(2));
    plist_dict_set_item(file, "Domain", plist_new_uid(3));
    plist_dict_set_item(file, "EncryptionKey", plist_new_uid(4));
    plist_dict_set_item(file, "ProtectionClass", plist_new_uint(protectionClass));
    plist_dict_set_item(file, "Size", plist_new_uint(size));
    plist_dict_set_item(file, "Mode", plist_new_uint(0100644));
    plist_dict_set_item(file, "Flags", plist_new_uint(0));
    plist_dict_set_item(file, "UserID", plist_new_uint(501));
    plist_dict_set_item(file, "GroupID", plist_new_uint(501));
    plist_dict_set_item(file, "LastModified", plist_new_uint(1600000000));
    plist_array_append_item(objects, file);
    plist_array_append_item(objects, plist_new_string(relativePath.c_str()));
    plist_array_append_item(objects, plist_new_string(domain.c_str()));
    plist_t data = plist_new_dict();
    plist_dict_set_item(data, "NS.data", dataNode(keyRecord));
    plist_dict_set_item(data, "$class", plist_new_uid(6));
    plist_array_append_item(objects, data);
    for (const char* name : {"MBFile", "NSMutableData"}) {
        plist_t cls = plist_new_dict();
        plist_dict_set_item(cls, "$classname", plist_new_string(name));
        plist_t chain = plist_new_array();
        plist_array_append_item(chain, plist_new_string(name));
        plist_array_append_item(chain, plist_new_string("NSObject"));
        plist_dict_set_item(cls, "$classes", chain);
        plist_array_append_item(objects, cls);
    }
    plist_dict_set_item(root.get(), "$objects", objects);
    return toBinary(root.get());
}

// Manifest.mbdb records: read and written field by field.
struct MbdbCursor {
    const std::string& bytes;
    std::size_t offset;
    std::uint64_t integer(std::size_t width) {
        require(bytes.size() - offset >= width, "Manifest.mbdb truncated");
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i)
            v = (v << 8) | std::uint8_t(bytes[offset + i]);
        offset += width;
        return v;
    }
    // The string with its 2-byte length, as raw bytes, and its value.
    std::string rawString(std::string* value = nullptr) {
        const std::size_t start = offset;
        const auto length = integer(2);
        if (length != 0xFFFF) {
            require(bytes.size() - offset >= length, "Manifest.mbdb truncated");
            if (value) *value = bytes.substr(offset, length);
            offset += length;
        } else if (value) {
            value->clear();
        }
        return bytes.substr(start, offset - start);
    }
};

std::string mbdbString(const std::string& value) {
    return std::string{char(value.size() >> 8), char(value.size())} + value;
}

std::string bigEndian64(std::uint64_t v) {
    return bigEndian32(std::uint32_t(v >> 32)) + bigEndian32(std::uint32_t(v));
}

} // namespace

BackupEncrypter::BackupEncrypter(EncryptionSettings settings)
    : m_settings(std::move(settings)), m_state(0x9E3779B97F4A7C15ull * (m_settings.seed + 1)) {}

std::string BackupEncrypter::randomBytes(std::size_t count) {
    std::string out;
    while (out.size() < count) {
        // splitmix64: deterministic, good enough for test keys and salts
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        for (int i = 0; i < 8 && out.size() < count; ++i)
            out += char(z >> (8 * i));
    }
    return out;
}

std::string BackupEncrypter::encryptBytes(const std::string& key, const std::string& plain) {
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    const unsigned char iv[16] = {};
    require(key.size() == 32 &&
                EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr,
                                   reinterpret_cast<const unsigned char*>(key.data()), iv) == 1,
            "AES init");
    std::string out(plain.size() + 16, '\0');
    int n = 0, tail = 0;
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    require(EVP_EncryptUpdate(ctx.get(), o, &n, reinterpret_cast<const unsigned char*>(plain.data()),
                              int(plain.size())) == 1 &&
                EVP_EncryptFinal_ex(ctx.get(), o + n, &tail) == 1,
            "AES encrypt");
    out.resize(std::size_t(n + tail));
    return out;
}

void BackupEncrypter::buildKeyBag() {
    const std::string salt = randomBytes(20);
    const std::string dpSalt = randomBytes(20);
    std::string secret = m_settings.password;
    if (m_settings.doubleProtection) secret = pbkdf2(EVP_sha256(), secret, dpSalt, m_settings.dpIterations);
    m_passcodeKey = pbkdf2(EVP_sha1(), secret, salt, m_settings.iterations);

    std::string bag = tlv("VERS", bigEndian32(3)) + tlv("TYPE", bigEndian32(1)) +
                      tlv("UUID", randomBytes(16)) + tlv("HMCK", randomBytes(40)) +
                      tlv("WRAP", bigEndian32(0)) + tlv("SALT", salt) +
                      tlv("ITER", bigEndian32(m_settings.iterations));
    if (m_settings.doubleProtection)
        bag += tlv("DPWT", bigEndian32(1)) + tlv("DPIC", bigEndian32(m_settings.dpIterations)) +
               tlv("DPSL", dpSalt);
    for (std::uint32_t cls = 1; cls <= 11; ++cls) {
        if (cls == 2) continue; // the asymmetric class is not in backup keybags here
        const std::string key = randomBytes(32);
        if (cls == m_settings.fileClass) m_fileClassKey = key;
        if (cls == m_settings.manifestClass) m_manifestClassKey = key;
        const std::string wrapped = decrypt::wrapKey(m_passcodeKey, key);
        require(wrapped.size() == 40, "class key wrap");
        bag += tlv("UUID", randomBytes(16)) + tlv("CLAS", bigEndian32(cls)) + tlv("WRAP", bigEndian32(2)) +
               tlv("KTYP", bigEndian32(0)) + tlv("WPKY", wrapped);
    }
    require(!m_fileClassKey.empty() && !m_manifestClassKey.empty(), "protection classes must be 1 or 3..11");
    m_keyBag = bag;
}

std::string BackupEncrypter::fileKeyRecord(const std::string& domainPath, std::string& fileKey) {
    fileKey = randomBytes(32);
    std::string record = littleEndian32(m_settings.fileClass) + decrypt::wrapKey(m_fileClassKey, fileKey);
    if (m_settings.keyRecordHook) m_settings.keyRecordHook(domainPath, record);
    return record;
}

std::uint64_t BackupEncrypter::recordedSize(const std::string& domainPath, std::uint64_t size) const {
    if (m_settings.recordedSizeHook) m_settings.recordedSizeHook(domainPath, size);
    return size;
}

void BackupEncrypter::writeManifestPlist(const fs::path& path, const std::string& keyBag,
                                         const std::string& manifestKey) {
    Plist root(plist_new_dict());
    plist_dict_set_item(root.get(), "BackupKeyBag", dataNode(keyBag));
    if (!manifestKey.empty()) plist_dict_set_item(root.get(), "ManifestKey", dataNode(manifestKey));
    plist_dict_set_item(root.get(), "IsEncrypted", plist_new_bool(1));
    plist_dict_set_item(root.get(), "Version", plist_new_string("10.0"));
    writeFile(path, toBinary(root.get()));
}

void BackupEncrypter::encrypt(const fs::path& plainFolder, const fs::path& encryptedFolder) {
    fs::create_directories(encryptedFolder);
    buildKeyBag();
    for (const char* name : {"Info.plist", "Status.plist"})
        if (fs::exists(plainFolder / name))
            fs::copy_file(plainFolder / name, encryptedFolder / name, fs::copy_options::overwrite_existing);
    if (fs::exists(plainFolder / "Manifest.db"))
        encryptManifestDbBackup(plainFolder, encryptedFolder);
    else if (fs::exists(plainFolder / "Manifest.mbdb"))
        encryptMbdbBackup(plainFolder, encryptedFolder);
    else
        throw std::runtime_error("BackupEncrypter: the plain backup has no manifest");
}

void BackupEncrypter::encryptManifestDbBackup(const fs::path& plain, const fs::path& out) {
    // Work on a copy of the manifest; the plain backup is only read.
    const fs::path work = out / "Manifest.db.work";
    fs::copy_file(plain / "Manifest.db", work, fs::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    require(sqlite3_open(platform::pathText(work).c_str(), &db) == SQLITE_OK, "open Manifest.db copy");
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> guard(db, sqlite3_close);
    sqlite3_exec(db, "ALTER TABLE Files ADD COLUMN file BLOB", nullptr, nullptr, nullptr); // when missing

    struct Row {
        std::string fileId, domain, relativePath;
    };
    std::vector<Row> rows;
    sqlite3_stmt* stmt = nullptr;
    require(sqlite3_prepare_v2(db, "SELECT fileID, domain, relativePath FROM Files WHERE flags = 1", -1,
                               &stmt, nullptr) == SQLITE_OK,
            "query Files");
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        auto text = [&](int i) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            return t ? std::string(t) : std::string();
        };
        rows.push_back({text(0), text(1), text(2)});
    }
    sqlite3_finalize(stmt);

    require(sqlite3_prepare_v2(db, "UPDATE Files SET file = ? WHERE fileID = ?", -1, &stmt, nullptr) ==
                SQLITE_OK,
            "prepare update");
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const Row& row : rows) {
        const fs::path stored = plain / row.fileId.substr(0, 2) / row.fileId;
        if (!fs::exists(stored)) continue;
        const std::string bytes = readFile(stored);
        std::string key;
        const std::string record = fileKeyRecord(row.domain + "-" + row.relativePath, key);
        writeFile(out / row.fileId.substr(0, 2) / row.fileId, encryptBytes(key, bytes));
        const std::string blob = archivedFileRecord(row.domain, row.relativePath,
                                                    recordedSize(row.domain + "-" + row.relativePath, bytes.size()),
                                                    m_settings.fileClass, record);
        sqlite3_bind_blob(stmt, 1, blob.data(), int(blob.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, row.fileId.c_str(), -1, SQLITE_TRANSIENT);
        require(sqlite3_step(stmt) == SQLITE_DONE, "update Files");
        sqlite3_reset(stmt);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(stmt);
    guard.reset();

    const std::string manifestKey = randomBytes(32);
    writeFile(out / "Manifest.db", encryptBytes(manifestKey, readFile(work)));
    fs::remove(work);
    writeManifestPlist(out / "Manifest.plist", m_keyBag,
                       littleEndian32(m_settings.manifestClass) +
                           decrypt::wrapKey(m_manifestClassKey, manifestKey));
}

void BackupEncrypter::encryptMbdbBackup(const fs::path& plain, const fs::path& out) {
    const std::string bytes = readFile(plain / "Manifest.mbdb");
    require(bytes.size() >= 6 && bytes.compare(0, 4, "mbdb") == 0, "Manifest.mbdb magic");
    std::string rewritten = bytes.substr(0, 6);
    MbdbCursor in{bytes, 6};
    while (in.offset < bytes.size()) {
        std::string domain, path;
        // One field after the other (the operands of + are not sequenced).
        std::string record = in.rawString(&domain);
        record += in.rawString(&path);
        record += in.rawString(); // link target
        record += in.rawString(); // data hash
        in.rawString();           // the plain backup's encryption key (none)
        const std::uint16_t mode = std::uint16_t(in.integer(2));
        const std::size_t fixedStart = in.offset;
        in.integer(8);
        for (int i = 0; i < 5; ++i)
            in.integer(4);
        const std::string fixed = bytes.substr(fixedStart, in.offset - fixedStart);
        std::uint64_t size = in.integer(8);
        std::uint8_t protection = std::uint8_t(in.integer(1));
        const std::size_t propertiesStart = in.offset;
        const auto count = in.integer(1);
        for (std::uint64_t i = 0; i < count; ++i) {
            in.rawString();
            in.rawString();
        }
        const std::string properties = bytes.substr(propertiesStart, in.offset - propertiesStart);

        std::string keyString;
        const bool regular = (mode & 0xE000) == 0x8000 && !domain.empty() && !path.empty();
        if (regular) {
            const std::string fileId = [&] {
                unsigned char digest[20];
                unsigned int n = 0;
                const std::string text = domain + "-" + path;
                EVP_Digest(text.data(), text.size(), digest, &n, EVP_sha1(), nullptr);
                std::string hex;
                for (unsigned char c : digest) {
                    hex += "0123456789abcdef"[c >> 4];
                    hex += "0123456789abcdef"[c & 15];
                }
                return hex;
            }();
            if (fs::exists(plain / fileId)) {
                const std::string content = readFile(plain / fileId);
                std::string key;
                keyString = fileKeyRecord(domain + "-" + path, key);
                writeFile(out / fileId, encryptBytes(key, content));
                size = recordedSize(domain + "-" + path, content.size());
                protection = std::uint8_t(m_settings.fileClass);
            }
        }
        record += keyString.empty() ? std::string("\xFF\xFF", 2) : mbdbString(keyString);
        record += std::string{char(mode >> 8), char(mode)} + fixed + bigEndian64(size) + char(protection) +
                  properties;
        rewritten += record;
    }
    writeFile(out / "Manifest.mbdb", rewritten);
    writeManifestPlist(out / "Manifest.plist", m_keyBag, {});
}

} // namespace orvelle::test
