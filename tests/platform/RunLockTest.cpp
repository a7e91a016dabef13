#include "platform/RunLock.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

namespace fs = std::filesystem;

TEST(RunLock, AMarkerIsHeldUntilReleasedAndThenCanBeTakenOver) {
    test::TempFolder temp;
    std::error_code ec;
    RunLock live;
    ASSERT_TRUE(live.create(temp.path(), "run.lock", ec)) << ec.message();
    EXPECT_TRUE(live.isHeld());
    EXPECT_TRUE(fs::is_regular_file(temp / "run.lock"));
    EXPECT_FALSE(fs::exists(temp / "run.lock.new")) << "only the locked marker carries its name";

    // A second lock in this same process counts as another run.
    RunLock later;
    EXPECT_FALSE(later.takeOver(temp / "run.lock")) << "its run still lives";
    EXPECT_FALSE(later.isHeld());
    live.release();
    EXPECT_TRUE(fs::exists(temp / "run.lock")) << "the marker stays";
    EXPECT_TRUE(later.takeOver(temp / "run.lock")) << "its run has ended";
    RunLock third;
    EXPECT_FALSE(third.takeOver(temp / "run.lock")) << "one taker at a time";
}

TEST(RunLock, OnlyARegularFileIsAMarker) {
    test::TempFolder temp;
    test::writeFile(temp / "dead" / "run.lock", "");
    RunLock lock;
    EXPECT_TRUE(lock.takeOver(temp / "dead" / "run.lock"));
    lock.release();

    fs::create_directories(temp / "folder" / "run.lock");
    EXPECT_FALSE(lock.takeOver(temp / "folder" / "run.lock")) << "a folder";
    EXPECT_FALSE(lock.takeOver(temp / "missing" / "run.lock")) << "nothing";
    std::error_code ec;
    fs::create_directories(temp / "linked");
    fs::create_symlink(temp / "dead" / "run.lock", temp / "linked" / "run.lock", ec);
    if (!ec) EXPECT_FALSE(lock.takeOver(temp / "linked" / "run.lock")) << "a link to a free marker";
    EXPECT_FALSE(lock.isHeld());
}

} // namespace
} // namespace orvelle::platform
