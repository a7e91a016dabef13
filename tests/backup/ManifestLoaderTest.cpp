#include "backup/ManifestLoader.h"

#include "backup/FileId.h"
#include "backup/ManifestDb.h"
#include "backup/StoredFileRule.h"
#include "core/Status.h"
#include "support/BackupBuilder.h"
#include "support/ManifestDbWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace orvelle {
namespace {

using test::BackupBuilder;
using test::ManifestKind;
using test::TempFolder;

std::vector<std::string> domainPaths(const ManifestList& list) {
    std::vector<std::string> out;
    for (const auto& e : list)
        out.push_back(e.domainPath);
    return out;
}

/// A manifest database holding one row with the given domain path.
void writeOneRowDb(const std::filesystem::path& path, const std::string& domain,
                   const std::string& relativePath) {
    test::ManifestDbWriter db(path);
    db.add({fileIdOf(domain, relativePath), domain, relativePath, test::kManifestFlagFile, std::nullopt});
    db.finish();
}

TEST(ManifestDb, ListsRowsInOrderWithNullColumnsLeftOut) {
    TempFolder temp;
    test::ManifestDbWriter db(temp / "Manifest.db");
    db.add({"aa00000000000000000000000000000000000001", "CameraRollDomain",
            "Media/DCIM/100APPLE/IMG_0001.HEIC", test::kManifestFlagFile, std::string("bplist00...")});
    db.add({"aa00000000000000000000000000000000000002", "CameraRollDomain", std::nullopt,
            test::kManifestFlagDirectory, std::nullopt});
    db.add({"aa00000000000000000000000000000000000003", "HomeDomain", "", test::kManifestFlagDirectory,
            std::nullopt});
    db.finish();
    ManifestList out;
    ASSERT_EQ(listManifestDb(temp / "Manifest.db", out), kStatusOk);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].fileId, "aa00000000000000000000000000000000000001");
    EXPECT_EQ(out[0].domainPath, "CameraRollDomain-Media/DCIM/100APPLE/IMG_0001.HEIC");
    EXPECT_EQ(out[1].domainPath, "CameraRollDomain");
    EXPECT_EQ(out[2].domainPath, "HomeDomain-");
}

// A folder name that URI parsing would misread ("?" cannot stand in a Windows name).
#ifdef _WIN32
constexpr const char* kOddFolder = "odd #1 &x=%20";
#else
constexpr const char* kOddFolder = "odd #1 ?x=%20";
#endif

TEST(ManifestDb, ErrorsAndReadOnlyOpening) {
    TempFolder temp;
    ManifestList out;
    EXPECT_EQ(listManifestDb(temp / "absent.db", out), SQLITE_CANTOPEN);
    EXPECT_FALSE(std::filesystem::exists(temp / "absent.db")) << "opening must never create the file";

    test::writeFile(temp / "garbage.db", std::string(4096, 'x'));
    EXPECT_EQ(listManifestDb(temp / "garbage.db", out), kStatusSqliteQueryFailed);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((temp / "other.db").string().c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE Other(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(listManifestDb(temp / "other.db", out), kStatusSqliteQueryFailed);

    // A path with characters that mean something in a URI.
    writeOneRowDb(temp / kOddFolder / "Manifest.db", "HomeDomain", "a");
    ASSERT_EQ(listManifestDb(temp / kOddFolder / "Manifest.db", out), kStatusOk);
    EXPECT_EQ(out.back().domainPath, "HomeDomain-a");

    // Nothing is written beside the database (no journal, no WAL files).
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp / kOddFolder)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(ManifestLoader, ChoosesTheManifest) {
    const struct {
        const char* name;
        ManifestKind kind;
        bool twoLevel;
        Status status;
        std::size_t entries;
    } cases[] = {
        {"Manifest.db", ManifestKind::Db, true, kStatusOk, 2},
        {"Manifest.mbdb", ManifestKind::Mbdb, false, kStatusOk, 1}, // the directory is skipped
        {"both: Manifest.db wins", ManifestKind::Both, true, kStatusOk, 2},
        {"none", ManifestKind::None, false, kStatusInvalid, 0},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        BackupBuilder b;
        b.setManifest(c.kind);
        b.addDirectory("CameraRollDomain", "Media");
        b.addFile("CameraRollDomain", "Media/a.jpg", "x");
        b.build(temp / "backup");
        ManifestList out;
        const auto result = loadManifest(temp / "backup", {}, out);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.twoLevelLayout, c.twoLevel) << c.name;
        EXPECT_EQ(out.size(), c.entries) << c.name;
    }
}

TEST(ManifestLoader, PrefersTheDecryptedManifest) {
    TempFolder temp;
    const auto backup = temp / "backup";
    const auto copy = temp / "copy";
    writeOneRowDb(backup / "Manifest.db", "HomeDomain", "encrypted-manifest");
    ManifestList out;
    EXPECT_EQ(domainPaths((loadManifest(backup, copy, out), out)),
              std::vector<std::string>{"HomeDomain-encrypted-manifest"});

    writeOneRowDb(backup / "Manifest.db-decypted", "HomeDomain", "beside-backup");
    out.clear();
    auto result = loadManifest(backup, copy, out);
    EXPECT_EQ(result.manifestPath, backup / "Manifest.db-decypted");
    EXPECT_EQ(domainPaths(out), std::vector<std::string>{"HomeDomain-beside-backup"});

    writeOneRowDb(copy / "Manifest.db-decypted", "HomeDomain", "in-decrypted-copy");
    out.clear();
    result = loadManifest(backup, copy, out);
    EXPECT_EQ(result.manifestPath, copy / "Manifest.db-decypted");
    EXPECT_TRUE(result.twoLevelLayout);
    EXPECT_EQ(domainPaths(out), std::vector<std::string>{"HomeDomain-in-decrypted-copy"});

    // Without Manifest.db in the backup folder the decrypted manifest is not looked for.
    TempFolder other;
    writeOneRowDb(other / "copy" / "Manifest.db-decypted", "HomeDomain", "x");
    out.clear();
    EXPECT_EQ(loadManifest(other / "backup", other / "copy", out).status, kStatusInvalid);
}

TEST(StoredFileRule, LayoutsAndHostileIds) {
    const std::filesystem::path root = "/backups/b";
    const std::string id = "31bb7ba8914766d4ba40d6dfb6113c8b614be442";
    EXPECT_EQ(storedFilePath(root, id, StoredLayout::TwoLevel), root / "31" / id);
    EXPECT_EQ(storedFilePath(root, id, StoredLayout::Flat), root / id);
    EXPECT_EQ(storedLayout(false, true), StoredLayout::TwoLevel);
    EXPECT_EQ(storedLayout(true, true), StoredLayout::Flat) << "a decrypted copy is always flat";
    EXPECT_EQ(storedLayout(false, false), StoredLayout::Flat);
    for (const char* hostile : {"", ".", "..", "../../etc/passwd", "a/b", "a\\b", "..x"}) {
        EXPECT_TRUE(storedFilePath(root, hostile, StoredLayout::TwoLevel).empty()) << hostile;
    }
}

} // namespace
} // namespace orvelle
