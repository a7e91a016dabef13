// End to end: the names of exported media copies. A name from the backup can
// hide its real extension behind a right-to-left override, name a Windows
// device, or give a picture an extension that opens it as a program; the
// copy's name shows what its content is.

#include "support/BackupBuilder.h"
#include "support/CliRun.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <set>

namespace orvelle {
namespace {

namespace fs = std::filesystem;
using test::mediaSample;
using test::MediaSample;

TEST(ExportNames, MediaCopiesAreNamedByTheirContentAndSafeOnWindows) {
    test::TempFolder temp;
    test::BackupBuilder backup;
    const std::string dcim = "Media/DCIM/100APPLE/";
    backup.addFile("CameraRollDomain", dcim + "photo\xE2\x80\xAEgpj.exe", mediaSample(MediaSample::JpegExif));
    backup.addFile("CameraRollDomain", dcim + "CON .JPG", mediaSample(MediaSample::JpegJfif));
    backup.addFile("CameraRollDomain", dcim + "com\xC2\xB9.jpeg", mediaSample(MediaSample::JpegExif, 700));
    backup.addFile("CameraRollDomain", dcim + "page.html", mediaSample(MediaSample::Png));
    backup.addFile("CameraRollDomain", dcim + "IMG_0001.JPG", mediaSample(MediaSample::JpegExif, 800));
    const fs::path folder = backup.build(temp / "backup");
    const fs::path dest = temp / "out";

    const test::CliRun run =
        test::orvelle(temp, {"export", test::arg(folder), test::arg(dest), "--categories", "camera-roll"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dest / "Camera Roll"))
        names.insert(test::arg(entry.path().filename()));
    EXPECT_EQ(names, (std::set<std::string>{"photogpj.jpg", "_CON .JPG", "_com\xC2\xB9.jpeg", "page.png",
                                            "IMG_0001.JPG"}));
    EXPECT_EQ(test::readFile(dest / "Camera Roll" / "photogpj.jpg"), mediaSample(MediaSample::JpegExif));
}

} // namespace
} // namespace orvelle
