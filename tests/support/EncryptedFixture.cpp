#include "support/EncryptedFixture.h"

#include "support/TempFolder.h"

#include <memory>
#include <openssl/evp.h>
#include <sqlite3.h>
#include <stdexcept>

namespace orvelle::test {

namespace fs = std::filesystem;

namespace {

std::string mbdbString(const std::string& value) {
    return std::string{char(value.size() >> 8), char(value.size())} + value;
}

std::string mbdbRecord(const std::string& domain, const std::string& path, std::uint16_t mode,
                       std::uint64_t size) {
    std::string r = mbdbString(domain) + mbdbString(path) + std::string("\xFF\xFF", 2) +
                    std::string("\xFF\xFF", 2) + std::string("\xFF\xFF", 2);
    r += std::string{char(mode >> 8), char(mode)};
    r += std::string(8 + 5 * 4, '\0');
    for (int i = 7; i >= 0; --i)
        r += char(size >> (8 * i));
    r += '\0';   // protection class
    r += '\x01'; // one property
    r += mbdbString("com.apple.test") + mbdbString("1");
    return r;
}

void writeManifestDb(const fs::path& path, const std::vector<FixtureFile>& files) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create Manifest.db");
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> guard(db, sqlite3_close);
    sqlite3_exec(
        db,
        "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags INTEGER, "
        "file BLOB); CREATE TABLE Properties (key TEXT PRIMARY KEY, value BLOB);"
        "INSERT INTO Files VALUES ('0000000000000000000000000000000000000000', 'CameraRollDomain', "
        "'Media', 2, NULL);",
        nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Files VALUES (?, ?, ?, 1, NULL)", -1, &stmt, nullptr);
    for (const FixtureFile& f : files) {
        sqlite3_bind_text(stmt, 1, f.fileId().c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, f.domain.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, f.relativePath.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) != SQLITE_DONE) throw std::runtime_error("cannot fill Manifest.db");
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

} // namespace

std::string FixtureFile::fileId() const {
    const std::string text = domain + "-" + relativePath;
    unsigned char digest[20];
    unsigned int n = 0;
    EVP_Digest(text.data(), text.size(), digest, &n, EVP_sha1(), nullptr);
    std::string hex;
    for (unsigned char c : digest) {
        hex += "0123456789abcdef"[c >> 4];
        hex += "0123456789abcdef"[c & 15];
    }
    return hex;
}

std::vector<FixtureFile> sampleFixtureFiles() {
    std::string kilobytes;
    for (int i = 0; i < 5000; ++i)
        kilobytes += char('a' + i % 26);
    return {
        {"HomeDomain", "Library/AddressBook/AddressBook.sqlitedb",
         std::string("SQLite format 3\0", 16) + "rest"},
        {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", "\xFF\xD8\xFF\xE0" + kilobytes},
        {"HomeDomain", "Library/Preferences/empty.plist", ""},
        {"HomeDomain", "Library/one-byte", "x"},
        {"HomeDomain", "Library/one-block", "0123456789abcdef"},
        {"AppDomain-net.whatsapp.WhatsApp", "Documents/block-and-a-byte", "0123456789abcdefX"},
    };
}

void writePlainBackup(const fs::path& folder, ManifestForm form, const std::vector<FixtureFile>& files) {
    fs::create_directories(folder);
    writeFile(folder / "Info.plist", "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>\n"
                                     "<key>Display Name</key>\n<string>Test iPhone</string>\n"
                                     "<key>Product Version</key>\n<string>14.3</string>\n"
                                     "<key>Serial Number</key>\n<string>F00TEST</string>\n</dict></plist>\n");
    if (form == ManifestForm::ManifestDb) {
        writeManifestDb(folder / "Manifest.db", files);
        for (const FixtureFile& f : files)
            writeFile(folder / f.fileId().substr(0, 2) / f.fileId(), f.content);
        return;
    }
    std::string mbdb = std::string("mbdb\x05\x00", 6);
    mbdb += mbdbRecord("CameraRollDomain", "Media", 0x41ED, 0); // a folder
    for (const FixtureFile& f : files) {
        mbdb += mbdbRecord(f.domain, f.relativePath, 0x81A4, f.content.size());
        writeFile(folder / f.fileId(), f.content);
    }
    writeFile(folder / "Manifest.mbdb", mbdb);
}

void writeEncryptedBackup(const fs::path& plainFolder, const fs::path& encryptedFolder, ManifestForm form,
                          const std::vector<FixtureFile>& files, const EncryptionSettings& settings) {
    writePlainBackup(plainFolder, form, files);
    BackupEncrypter(settings).encrypt(plainFolder, encryptedFolder);
}

} // namespace orvelle::test
