// The per-file records of both manifest forms, and their damaged variants.

#include "backup/FileId.h"
#include "decrypt/FileRecord.h"
#include "decrypt/MbdbForm.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

namespace orvelle::decrypt {
namespace {

std::string toBinary(plist_t root) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::string out(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(root);
    return out;
}

// An archive whose root object is `file` (objects[1]), followed by `extra`.
std::string archive(plist_t file, plist_t extra = nullptr) {
    plist_t root = plist_new_dict();
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_dict_set_item(root, "$top", top);
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_array_append_item(objects, file);
    if (extra) plist_array_append_item(objects, extra);
    plist_dict_set_item(root, "$objects", objects);
    return toBinary(root);
}

TEST(FileRecord, KeyAsNSDataOrAsPlainData) {
    const std::string key = std::string("\x03\0\0\0", 4) + std::string(40, 'w');
    plist_t file = plist_new_dict();
    plist_dict_set_item(file, "Size", plist_new_uint(1234));
    plist_dict_set_item(file, "ProtectionClass", plist_new_uint(3));
    plist_dict_set_item(file, "EncryptionKey", plist_new_uid(2));
    plist_t data = plist_new_dict();
    plist_dict_set_item(data, "NS.data", plist_new_data(key.data(), key.size()));
    ArchivedFileInfo info;
    std::string error;
    ASSERT_TRUE(readArchivedFile(archive(file, data), info, error)) << error;
    EXPECT_EQ(info.size, 1234u);
    EXPECT_EQ(info.protectionClass, 3u);
    EXPECT_EQ(info.keyRecord, key);

    file = plist_new_dict();
    plist_dict_set_item(file, "EncryptionKey", plist_new_uid(2));
    ASSERT_TRUE(readArchivedFile(archive(file, plist_new_data(key.data(), key.size())), info, error))
        << error;
    EXPECT_EQ(info.keyRecord, key);
    EXPECT_FALSE(info.size.has_value());
}

TEST(FileRecord, NoKeyMeansStoredAsItIs) {
    plist_t file = plist_new_dict();
    plist_dict_set_item(file, "Size", plist_new_uint(5));
    ArchivedFileInfo info;
    std::string error;
    ASSERT_TRUE(readArchivedFile(archive(file), info, error));
    EXPECT_TRUE(info.keyRecord.empty());
}

TEST(FileRecord, DamagedRecordsAreRefused) {
    plist_t danglingKey = plist_new_dict();
    plist_dict_set_item(danglingKey, "EncryptionKey", plist_new_uid(99));
    plist_t stringKey = plist_new_dict();
    plist_dict_set_item(stringKey, "EncryptionKey", plist_new_uid(2));
    const std::string cases[] = {
        "",
        "bplist00 not really",
        archive(plist_new_string("root is no dictionary")),
        archive(danglingKey),
        archive(stringKey, plist_new_string("not data")),
    };
    for (const std::string& blob : cases) {
        ArchivedFileInfo info;
        std::string error;
        EXPECT_FALSE(readArchivedFile(blob, info, error));
        EXPECT_FALSE(error.empty());
    }
}

std::string str(const std::string& s) {
    return std::string{char(s.size() >> 8), char(s.size())} + s;
}

std::string record(const std::string& domain, const std::string& path, const std::string& key,
                   std::uint16_t mode, std::uint64_t size, std::uint8_t protection) {
    std::string r =
        str(domain) + str(path) + std::string("\xFF\xFF\xFF\xFF", 4) + (key.empty() ? "\xFF\xFF" : str(key));
    r += std::string{char(mode >> 8), char(mode)} + std::string(28, '\0');
    for (int i = 7; i >= 0; --i)
        r += char(size >> (8 * i));
    r += char(protection);
    r += '\x01' + str("name") + str("value");
    return r;
}

TEST(MbdbForm, RegularFilesWithTheirKeys) {
    const std::string key = std::string("\x03\0\0\0", 4) + std::string(40, 'k');
    const std::string bytes = std::string("mbdb\x05\x00", 6) +
                              record("HomeDomain", "Library", "", 0x41ED, 0, 0) +
                              record("HomeDomain", "Library/a.txt", key, 0x81A4, 77, 3) +
                              record("HomeDomain", "Library/link", "", 0xA1ED, 0, 0) +
                              record("HomeDomain", "Library/plain.txt", "", 0x81A4, 5, 0);
    std::vector<BackupFileEntry> files;
    std::string error;
    ASSERT_TRUE(parseMbdbFiles(bytes, "/backup", files, error)) << error;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].fileId, fileIdOf("HomeDomain-Library/a.txt"));
    EXPECT_EQ(files[0].storedPath, std::filesystem::path("/backup") / files[0].fileId);
    EXPECT_EQ(files[0].wrappedKey, std::string(40, 'k'));
    EXPECT_EQ(files[0].protectionClass, 3u);
    EXPECT_EQ(files[0].size, 77u);
    EXPECT_TRUE(files[1].wrappedKey.empty());
    EXPECT_EQ(fileIdOf("CameraRollDomain-Media/DCIM/100APPLE/IMG_0001.JPG").size(), 40u);
}

TEST(MbdbForm, DamagedManifestsAreRefused) {
    const std::string good = std::string("mbdb\x05\x00", 6) + record("D", "p", "", 0x81A4, 1, 0);
    for (const std::string& bytes : {std::string("mbdx\x05\x00", 6), good.substr(0, good.size() - 3),
                                     good.substr(0, 9), std::string("mbdb")}) {
        std::vector<BackupFileEntry> files;
        std::string error;
        EXPECT_FALSE(parseMbdbFiles(bytes, "/b", files, error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace orvelle::decrypt
