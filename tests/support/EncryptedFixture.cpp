#include "support/EncryptedFixture.h"

#include "decrypt/FileDecryption.h"
#include "decrypt/ManifestPlist.h"
#include "support/DemoBackup.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <stdexcept>

namespace orvelle::test {

namespace {

FixtureFile file(std::string domain, std::string relativePath, std::string content) {
    FixtureFile entry;
    entry.domain = std::move(domain);
    entry.relativePath = std::move(relativePath);
    entry.content = std::move(content);
    return entry;
}

} // namespace

void plantKeyBagCount(const std::filesystem::path& encryptedFolder, std::string_view tag,
                      std::uint32_t value) {
    const std::filesystem::path path = encryptedFolder / "Manifest.plist";
    decrypt::ManifestPlist manifest;
    std::string error;
    if (!decrypt::readManifestPlist(path, manifest, error)) throw std::runtime_error(error);
    std::string& bag = manifest.keyBag;
    // Records are TAG, 4-byte big-endian length, value: walk them, not a search
    // that could match inside another record's value.
    for (std::size_t at = 0; at + 8 <= bag.size();) {
        const std::uint32_t length = (std::uint32_t(std::uint8_t(bag[at + 4])) << 24) |
                                     (std::uint32_t(std::uint8_t(bag[at + 5])) << 16) |
                                     (std::uint32_t(std::uint8_t(bag[at + 6])) << 8) |
                                     std::uint8_t(bag[at + 7]);
        if (bag.compare(at, 4, tag) == 0 && length == 4) {
            for (int i = 0; i < 4; ++i)
                bag[at + 8 + i] = static_cast<char>(value >> (24 - 8 * i));
            BackupEncrypter::writeManifestPlist(path, bag, manifest.manifestKey);
            return;
        }
        at += 8 + length;
    }
    throw std::runtime_error("plantKeyBagCount: the keybag has no " + std::string(tag));
}

std::vector<FixtureFile> sampleFixtureFiles() {
    return {
        file("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb",
             std::string("SQLite format 3\0", 16) + "rest"),
        file("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG",
             mediaSample(MediaSample::JpegExif, 5000)),
        file("HomeDomain", "Library/Preferences/empty.plist", ""),
        file("HomeDomain", "Library/one-byte", "x"),
        file("HomeDomain", "Library/one-block", "0123456789abcdef"),
        file("AppDomain-net.whatsapp.WhatsApp", "Documents/block-and-a-byte", "0123456789abcdefX"),
        // larger than the decrypter's chunk: the padding sits in a later chunk
        file("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.MOV",
             mediaSample(MediaSample::QuickTime, decrypt::kDecryptChunkSize + 300001)),
        // exactly one chunk: the padding block is all the last chunk holds
        file("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0003.MOV",
             mediaSample(MediaSample::QuickTime, decrypt::kDecryptChunkSize, 3)),
    };
}

void writeEncryptedBackup(const std::filesystem::path& plainFolder,
                          const std::filesystem::path& encryptedFolder, ManifestKind kind,
                          const std::vector<FixtureFile>& files, const EncryptionSettings& settings) {
    BackupBuilder builder;
    builder.setManifest(kind);
    builder.addDirectory("CameraRollDomain", "Media");
    for (const FixtureFile& f : files)
        builder.add(f);
    builder.build(plainFolder);
    BackupEncrypter(settings).encrypt(plainFolder, encryptedFolder);
}

std::filesystem::path makeEncryptedDemoBackup(
    const std::filesystem::path& root,
    std::function<void(const std::string& domainPath, std::uint64_t& size)> recordedSizeHook) {
    BackupBuilder builder = demoRecentBackup();
    TempFolder plain("orvelle-demo-plain");
    builder.build(plain / "backup");
    EncryptionSettings settings;
    settings.password = std::string(kDemoPassword);
    settings.iterations = 10000;
    settings.dpIterations = 10000;
    settings.recordedSizeHook = std::move(recordedSizeHook);
    const std::filesystem::path folder = root / std::string(kEncryptedDemoFolder);
    BackupEncrypter(settings).encrypt(plain / "backup", folder);
    return folder;
}

} // namespace orvelle::test
