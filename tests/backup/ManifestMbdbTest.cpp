#include "backup/ManifestMbdb.h"

#include "backup/FileId.h"
#include "core/Status.h"
#include "support/MbdbWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::MbdbRecord;

MbdbRecord file(const std::string& domain, const std::string& path) {
    MbdbRecord r;
    r.domain = domain;
    r.relativePath = path;
    r.dataHash = std::string(20, '\x11');
    r.size = 1234;
    r.properties = {{"com.apple.assetsd.UUID", "ABCD"}, {"com.apple.assetsd.dbRebuildUuid", "EF01"}};
    return r;
}

TEST(ManifestMbdb, ReadsFilesAndLinksAndSkipsDirectoriesAndNamelessRecords) {
    MbdbRecord dir = file("CameraRollDomain", "Media/DCIM");
    dir.mode = test::kMbdbModeDirectory;
    MbdbRecord link = file("HomeDomain", "Library/Caches/Current");
    link.mode = test::kMbdbModeSymlink;
    link.linkTarget = "Snapshots";
    MbdbRecord noPath = file("CameraRollDomain", "");
    MbdbRecord absentPath = file("CameraRollDomain", "");
    absentPath.relativePath.reset();
    MbdbRecord absentDomain = file("", "Media/x");
    absentDomain.domain.reset();
    const std::string bytes =
        test::buildMbdb({file("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG"), dir, link, noPath,
                         absentPath, absentDomain, file("AppDomain-com.example.app", "Documents/a.png")});
    ManifestList out;
    ASSERT_EQ(parseManifestMbdbBytes(bytes, out), kStatusOk);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].domainPath, "CameraRollDomain-Media/DCIM/100APPLE/IMG_0001.JPG");
    EXPECT_EQ(out[0].fileId, fileIdOf(out[0].domainPath));
    EXPECT_EQ(out[1].domainPath, "HomeDomain-Library/Caches/Current");
    EXPECT_EQ(out[2].domainPath, "AppDomain-com.example.app-Documents/a.png");
}

TEST(ManifestMbdb, AbsentStringConsumesExactlyTwoBytes) {
    // All three unused strings absent: the record must still line up with the next one.
    MbdbRecord sparse = file("HomeDomain", "a");
    sparse.linkTarget.reset();
    sparse.dataHash.reset();
    sparse.encryptionKey.reset();
    sparse.properties.clear();
    const std::string bytes = test::buildMbdb({sparse, file("HomeDomain", "b")});
    ManifestList out;
    ASSERT_EQ(parseManifestMbdbBytes(bytes, out), kStatusOk);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].domainPath, "HomeDomain-b");
}

TEST(ManifestMbdb, MagicAndEmptyFiles) {
    ManifestList out;
    EXPECT_EQ(parseManifestMbdbBytes("mbdx\x05\x00", out), kStatusInvalid);
    EXPECT_EQ(parseManifestMbdbBytes("mb", out), kStatusInvalid);
    EXPECT_EQ(parseManifestMbdbBytes("", out), kStatusInvalid);
    EXPECT_EQ(parseManifestMbdbBytes("mbdb", out), kStatusOk);
    EXPECT_EQ(parseManifestMbdbBytes(test::mbdbHeader(), out), kStatusOk);
    EXPECT_TRUE(out.empty());
}

TEST(ManifestMbdb, TruncatedFileKeepsTheRecordsBeforeTheFault) {
    std::string bytes = test::buildMbdb({file("HomeDomain", "first"), file("HomeDomain", "second")});
    const std::size_t secondStart = test::buildMbdb({file("HomeDomain", "first")}).size();
    // Cut the file at every point inside the second record.
    for (std::size_t cut = secondStart + 1; cut < bytes.size(); ++cut) {
        ManifestList out;
        MbdbFault fault;
        ASSERT_EQ(parseManifestMbdbBytes(std::string_view(bytes).substr(0, cut), out, &fault),
                  kStatusShortRead)
            << cut;
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(fault.recordOffset, secondStart);
    }
}

TEST(ManifestMbdb, HostileLengthsNeverReadPastTheBuffer) {
    const std::string header = test::mbdbHeader();
    const std::string cases[] = {
        header + std::string("\xFF\xFE", 2) + "abc",                            // domain longer than the file
        header + std::string("\x00\x01", 2) + "d" + std::string("\x7F\xFF", 2), // path length far too large
        header + std::string("\x00", 1),                                        // half a length
    };
    for (const auto& bytes : cases) {
        ManifestList out;
        EXPECT_EQ(parseManifestMbdbBytes(bytes, out), kStatusShortRead);
        EXPECT_TRUE(out.empty());
    }
    // A property count promising more pairs than the file holds.
    std::string bytes = test::buildMbdb({file("HomeDomain", "a")});
    bytes[bytes.size() - 1 - (2 + 22) - (2 + 4) - (2 + 31) - (2 + 4)] = '\xFF';
    ManifestList out;
    EXPECT_EQ(parseManifestMbdbBytes(bytes, out), kStatusShortRead);
}

TEST(ManifestMbdb, FileErrors) {
    test::TempFolder temp;
    ManifestList out;
    EXPECT_EQ(parseManifestMbdb(temp / "Manifest.mbdb", out), kStatusManifestUnreadable);
    test::writeFile(temp / "Manifest.mbdb", test::buildMbdb({file("HomeDomain", "x")}));
    EXPECT_EQ(parseManifestMbdb(temp / "Manifest.mbdb", out), kStatusOk);
    EXPECT_EQ(out.size(), 1u);
}

} // namespace
} // namespace orvelle
