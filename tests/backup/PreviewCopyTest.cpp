#include "backup/PreviewCopy.h"

#include "backup/BackupStore.h"
#include "core/Status.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::MediaSample;
using test::TempFolder;

struct Percents {
    std::vector<std::int32_t> values;
    std::int32_t answer = 0;
    static std::int32_t callback(void* self, std::int32_t percent) {
        auto& p = *static_cast<Percents*>(self);
        p.values.push_back(percent);
        return p.answer;
    }
};

TEST(PreviewCopy, ChoosesThePreviewFileByContent) {
    const struct {
        MediaSample kind;
        const char* preview;
    } cases[] = {
        {MediaSample::JpegExif, "tmp.jpg"},  {MediaSample::Heic, "tmp.jpg"},
        {MediaSample::Heif, "tmp.jpg"},      {MediaSample::Png, "tmp.jpg"},
        {MediaSample::Ico, "tmp.jpg"},       {MediaSample::MpegVideo, "tmp.avi"},
        {MediaSample::Wmv, "tmp.avi"},       {MediaSample::QuickTime, "tmp.avi"},
        {MediaSample::M4v, "tmp.avi"},       {MediaSample::ThreeGp, "tmp.avi"},
        {MediaSample::RealMedia, "tmp.avi"}, {MediaSample::Mp3, "tmp.wav"},
        {MediaSample::Midi, "tmp.wav"},      {MediaSample::Wave, "tmp.wav"},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        const std::string content = test::mediaSample(c.kind, 3000);
        test::writeFile(temp / "stored", content);
        std::filesystem::path preview;
        Percents percents;
        EXPECT_EQ(makePreviewCopy(temp / "stored", temp.path(), preview, &Percents::callback, &percents),
                  kStatusOk)
            << test::sampleName(c.kind);
        EXPECT_EQ(preview, temp / c.preview) << test::sampleName(c.kind);
        EXPECT_EQ(test::readFile(preview), content);
        EXPECT_EQ(percents.values, (std::vector<std::int32_t>{100, 100}));
    }
}

TEST(PreviewCopy, ReportsEveryChunkAndAlwaysEndsWithHundred) {
    TempFolder temp;
    const std::string content = test::mediaSample(MediaSample::JpegJfif, 2 * 65536 + 5);
    test::writeFile(temp / "stored", content);
    std::filesystem::path preview;
    Percents percents;
    ASSERT_EQ(makePreviewCopy(temp / "stored", temp.path(), preview, &Percents::callback, &percents),
              kStatusOk);
    EXPECT_EQ(percents.values, (std::vector<std::int32_t>{49, 99, 100, 100}));
    EXPECT_EQ(test::readFile(preview), content);

    Percents stopping;
    stopping.answer = 2;
    EXPECT_EQ(makePreviewCopy(temp / "stored", temp.path(), preview, &Percents::callback, &stopping), 2);
    EXPECT_EQ(stopping.values, (std::vector<std::int32_t>{49, 100}));
}

TEST(PreviewCopy, UnrecognisedOrMissingFilesFailWithAClosingReport) {
    TempFolder temp;
    test::writeFile(temp / "text", test::mediaSample(MediaSample::Text));
    for (const char* name : {"text", "missing"}) {
        std::filesystem::path preview;
        Percents percents;
        EXPECT_EQ(makePreviewCopy(temp / name, temp.path(), preview, &Percents::callback, &percents),
                  kStatusInvalid);
        EXPECT_TRUE(preview.empty());
        EXPECT_EQ(percents.values, std::vector<std::int32_t>{100});
    }
    // Without a private folder nothing is written (not even beside the current folder).
    test::writeFile(temp / "jpeg", test::mediaSample(MediaSample::JpegJfif));
    std::filesystem::path nowhere;
    EXPECT_EQ(makePreviewCopy(temp / "jpeg", {}, nowhere, nullptr, nullptr), kStatusInvalid);
    EXPECT_FALSE(std::filesystem::exists("tmp.jpg"));
    // Without a progress function nothing is called.
    std::filesystem::path preview;
    EXPECT_EQ(makePreviewCopy(temp / "text", temp.path(), preview, nullptr, nullptr), kStatusInvalid);
}

TEST(PreviewCopy, TheStoreKeepsItsPreviewPrivateToItselfUntilItEnds) {
    namespace fs = std::filesystem;
    TempFolder temp;
    const auto data = temp / "data";
    const auto parent = temp / "QuorilTempFile";
    test::writeFile(temp / "stored", test::mediaSample(MediaSample::Png));
    fs::path preview;
    {
        BackupStore store({{}, data, parent});
        ASSERT_EQ(store.makePreviewCopy(temp / "stored", preview, nullptr, nullptr), kStatusOk);
        EXPECT_EQ(preview, store.runFolder() / "tmp.jpg");
        EXPECT_FALSE(fs::exists(data / "tmp.jpg")) << "no fixed name in the data folder";
#ifndef _WIN32
        EXPECT_EQ(fs::status(preview).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif
        // Another run (a command started meanwhile) neither sees nor removes it.
        { BackupStore other({{}, data, parent}); }
        EXPECT_EQ(test::readFile(preview), test::mediaSample(MediaSample::Png));
    }
    EXPECT_FALSE(fs::exists(preview)) << "the preview goes with its store";
    EXPECT_TRUE(fs::is_directory(data));
}

} // namespace
} // namespace orvelle
