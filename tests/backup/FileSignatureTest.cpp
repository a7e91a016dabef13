#include "backup/FileSignature.h"

#include "core/Status.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::MediaSample;

std::span<const unsigned char> bytesOf(const std::string& s) {
    return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

std::string detectedName(const std::string& content) {
    test::TempFolder temp;
    test::writeFile(temp / "f", content);
    std::int64_t counter = 0;
    std::string name;
    detectFileType(temp / "f", counter, name);
    return name;
}

TEST(FileSignature, EverySampleIsDetectedAsItsType) {
    for (const MediaSample kind : test::allMediaSamples()) {
        const std::string bytes = test::mediaSample(kind, 512);
        const std::string_view want = test::expectedExtension(kind);
        EXPECT_EQ(extensionOf(detectSignature(bytesOf(bytes))), want) << test::sampleName(kind);
        std::int64_t counter = 7;
        std::string name;
        ASSERT_EQ(detectBufferType(bytesOf(bytes), counter, name), kStatusOk);
        EXPECT_EQ(name, want.empty() ? "" : "7." + std::string(want))
            << test::sampleName(kind) << " in memory";
        EXPECT_EQ(counter, want.empty() ? 7 : 8);
        // The same as a stored file.
        EXPECT_EQ(detectedName(test::mediaSample(kind, 2048, 3)), want.empty() ? "" : "0." + std::string(want))
            << test::sampleName(kind) << " on disk";
    }
}

TEST(FileSignature, NeedsFiveHundredTwelveBytes) {
    test::TempFolder temp;
    test::writeFile(temp / "short", test::mediaSample(MediaSample::Png, 511));
    test::writeFile(temp / "exact", test::mediaSample(MediaSample::Png, 512));
    std::int64_t counter = 0;
    std::string name = "stale";
    EXPECT_EQ(detectFileType(temp / "short", counter, name), kStatusShortRead);
    EXPECT_EQ(name, "");
    EXPECT_EQ(detectFileType(temp / "exact", counter, name), kStatusOk);
    EXPECT_EQ(name, "0.png");
    // A missing file is told apart from a short one, names nothing and takes no number.
    name = "stale";
    EXPECT_EQ(detectFileType(temp / "missing", counter, name), kStatusFileMissing);
    EXPECT_EQ(name, "");
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(detectFileType(temp / "exact", counter, name), kStatusOk);
    EXPECT_EQ(name, "1.png");
}

TEST(FileSignature, CounterNamesFilesInOrder) {
    test::TempFolder temp;
    test::writeFile(temp / "a", test::mediaSample(MediaSample::JpegJfif));
    test::writeFile(temp / "b", test::mediaSample(MediaSample::Text));
    test::writeFile(temp / "c", test::mediaSample(MediaSample::Png));
    std::int64_t counter = 0;
    std::string name;
    detectFileType(temp / "a", counter, name);
    EXPECT_EQ(name, "0.jpg");
    detectFileType(temp / "b", counter, name);
    EXPECT_EQ(name, "");
    detectFileType(temp / "c", counter, name);
    EXPECT_EQ(name, "1.png");
}

TEST(FileSignature, EdgeCases) {
    // An MPEG program stream whose system header starts at offset 14 (found), and at 29 (beyond the search).
    std::string mpeg = test::mediaSample(MediaSample::MpegProgram, 512);
    EXPECT_EQ(detectedName(mpeg), "0.mpeg");
    std::string late = mpeg;
    late.replace(14, 4, "abcd");
    late[28] = 'z';
    late.replace(29, 4, std::string("\x00\x00\x01\xBB", 4)); // needs offsets 29..32: outside the window
    EXPECT_EQ(detectedName(late), "");
    late.replace(28, 4, std::string("\x00\x00\x01\xBB", 4));
    EXPECT_EQ(detectedName(late), "0.mpeg");

    // HEIC brands: every HEVC brand is heic, the generic image brands heif.
    for (const char* brand : {"heic", "heix", "hevc", "heim", "heis", "mif1", "msf1", "avif"}) {
        std::string heic = test::mediaSample(MediaSample::Heic, 512);
        heic.replace(8, 4, brand);
        const std::string want = std::string_view(brand).starts_with("m") ? "0.heif"
                                 : std::string_view(brand) == "avif"      ? ""
                                                                          : "0.heic";
        EXPECT_EQ(detectedName(heic), want) << brand;
    }

    // Windows Media Audio shares the ASF header and is named .wmv.
    EXPECT_EQ(detectedName(test::mediaSample(MediaSample::Wmv)), "0.wmv");

    // An ICO whose image offset does not follow the directory is not an icon.
    std::string ico = test::mediaSample(MediaSample::Ico);
    ico[18] = 23;
    EXPECT_EQ(detectedName(ico), "");
    // An ICO promising more directory entries than the bytes hold.
    ico = test::mediaSample(MediaSample::Ico, 512);
    ico[4] = '\xFF';
    ico[5] = '\xFF';
    EXPECT_EQ(detectedName(ico), "");
}

} // namespace
} // namespace orvelle
