#pragma once
/// Safari's bookmarks and reading list from Bookmarks.db (HomeDomain,
/// Library/Safari/Bookmarks.db), table `bookmarks`.
///
/// | field           | column  | position |
/// |-----------------|---------|----------|
/// | folder (key)    | parent  | 2        |
/// | kind            | type    | 3        |
/// | title           | title   | 4        |
/// | address         | url     | 5        |
/// | marked deleted  | deleted | -        |
///
/// `type` 1 is a folder, 0 a bookmark. Folders are not items: they give the
/// folder path of the bookmarks below them (titles from the top down, joined
/// by "/"; the untitled root is left out). The bookmarks below the folder
/// titled "com.apple.ReadingList" are the reading list: they are marked as
/// such and their folder reads "Reading List". A bookmark Safari has marked
/// deleted (waiting for the sync to remove it) is shown as deleted, like the
/// rows recovered from free space. Bookmarks keep the table's order.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"

#include <filesystem>
#include <vector>

namespace orvelle {

class SqliteFile;

/// Reads the bookmarks of an open Bookmarks.db.
Status decodeBookmarkRows(SqliteFile& file, std::vector<BookmarkRecord>& out);

/// Decodes the database at `bookmarksDb`. Returns 0, kStatusFileMissing, the
/// open's code (no bookmarks), or the progress callback's non-zero answer.
Status decodeBookmarks(const std::filesystem::path& bookmarksDb, const DecodeContext& context,
                       std::vector<BookmarkRecord>& out);

} // namespace orvelle
