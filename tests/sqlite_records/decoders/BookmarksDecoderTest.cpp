#include "sqlite_records/decoders/BookmarksDecoder.h"

#include "support/DeviceDbCalendar.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <tuple>

namespace orvelle {
namespace {

auto fieldsOf(const BookmarkRecord& b) {
    return std::tie(b.deleted, b.readingList, b.title, b.url, b.folder);
}

BookmarkRecord record(std::uint32_t deleted, std::int32_t readingList, std::string title, std::string url,
                      std::string folder) {
    BookmarkRecord b;
    b.deleted = deleted;
    b.readingList = readingList;
    b.title = std::move(title);
    b.url = std::move(url);
    b.folder = std::move(folder);
    return b;
}

TEST(Bookmarks, FolderPathsReadingListAndDeletedBookmarks) {
    test::TempFolder temp;
    const auto path = temp / "Bookmarks.db";
    test::BookmarksDb db(path);
    const auto travel = db.addFolder(db.menu(), "Travel");
    const auto trains = db.addFolder(travel, "Trains");
    db.addBookmark(db.bar(), "Example", "https://example.org/");
    db.addBookmark(trains, "Timetable, \"night\" trains", "https://rail.example/night?a=1&b=2");
    db.addBookmark(db.readingList(), "Long read", "https://news.example/story");
    db.addBookmark(db.root(), "Top level", "https://top.example/");
    db.addBookmark(travel, "Removed while syncing", "https://gone.example/", true);
    for (int i = 0; i < 10; ++i)
        db.addBookmark(travel, "Hotel " + std::to_string(i) + " near the station", "https://hotel.example/" + std::to_string(i));
    db.deleteWhere("bookmarks", "title = 'Hotel 6 near the station'");
    db.close();

    std::vector<BookmarkRecord> out;
    ASSERT_EQ(decodeBookmarks(path, {}, out), kStatusOk);
    std::vector<BookmarkRecord> expected{
        record(kLive, 0, "Example", "https://example.org/", "BookmarksBar"),
        record(kLive, 0, "Timetable, \"night\" trains", "https://rail.example/night?a=1&b=2",
               "BookmarksMenu/Travel/Trains"),
        record(kLive, 1, "Long read", "https://news.example/story", "Reading List"),
        record(kLive, 0, "Top level", "https://top.example/", ""),
        record(kDeleted, 0, "Removed while syncing", "https://gone.example/", "BookmarksMenu/Travel"),
    };
    for (int i = 0; i < 10; ++i)
        if (i != 6)
            expected.push_back(record(kLive, 0, "Hotel " + std::to_string(i) + " near the station",
                                      "https://hotel.example/" + std::to_string(i), "BookmarksMenu/Travel"));
    expected.push_back(
        record(kDeleted, 0, "Hotel 6 near the station", "https://hotel.example/6", "BookmarksMenu/Travel"));
    ASSERT_EQ(out.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(fieldsOf(out[i]) == fieldsOf(expected[i])) << i << ": " << out[i].title << " " << out[i].folder;
}

TEST(Bookmarks, AFolderLoopEnds) {
    test::TempFolder temp;
    const auto path = temp / "Bookmarks.db";
    test::BookmarksDb db(path);
    const auto a = db.addFolder(db.menu(), "A");
    const auto b = db.addFolder(a, "B");
    db.addBookmark(b, "Inside", "https://loop.example/");
    db.exec("UPDATE bookmarks SET parent = " + std::to_string(b) + " WHERE id = " + std::to_string(a));
    db.close();
    std::vector<BookmarkRecord> out;
    ASSERT_EQ(decodeBookmarks(path, {}, out), kStatusOk);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].url, "https://loop.example/");
    EXPECT_LT(out[0].folder.size(), 200u);
}

} // namespace
} // namespace orvelle
