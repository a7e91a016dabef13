#include "scan/AppFileSplit.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(AppFileSplitTest, VideosAndSoundsGoToAppVideosEverythingElseToAppPhotos) {
    struct Case {
        const char* name;
        bool video;
    };
    const Case cases[] = {
        {"clip.LRV", true},   {"voice.snd", true},  {"movie.MoV", true},
        {"song.mp3", true},   {"blob.bin", false},  {"noextension", false},
        {"photo.JPG", false}, {"trailing.", false}, {"a.rm", true}, // in both the video and the sound list
    };
    std::vector<AppFileRecord> files;
    for (const Case& c : cases)
        files.push_back({1, "app", c.name, "/stored"});
    AppFileMap photos, videos;
    splitAppFiles(files, photos, videos);
    for (const Case& c : cases) {
        const auto& list = (c.video ? videos : photos)["app"];
        EXPECT_TRUE(std::any_of(list.begin(), list.end(), [&](const AppFileRecord& r) {
            return r.name == c.name;
        })) << c.name;
    }
    EXPECT_EQ(photos["app"].size() + videos["app"].size(), std::size(cases));
}

TEST(AppFileSplitTest, GroupsByAppKeepingOrder) {
    const std::vector<AppFileRecord> files = {
        {1, "b", "1.png", ""}, {1, "a", "2.png", ""}, {1, "b", "3.png", ""}, {1, "b", "4.mp4", ""}};
    AppFileMap photos, videos;
    splitAppFiles(files, photos, videos);
    ASSERT_EQ(photos.size(), 2u);
    EXPECT_EQ(photos["b"][0].name, "1.png");
    EXPECT_EQ(photos["b"][1].name, "3.png");
    EXPECT_EQ(videos["b"].size(), 1u);
}

} // namespace
} // namespace orvelle
