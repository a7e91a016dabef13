#include "sqlite_records/decoders/BookmarksDecoder.h"

#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <array>
#include <optional>
#include <unordered_map>

namespace orvelle {

namespace {

constexpr std::string_view kBookmarkTable = "bookmarks";
constexpr std::string_view kReadingListTitle = "com.apple.ReadingList";
constexpr std::string_view kReadingListFolder = "Reading List";
constexpr std::int64_t kFolderType = 1;
/// Folders nest a few levels deep; a longer chain is a loop of broken rows.
constexpr int kDeepestFolder = 64;

enum BookmarkField : std::size_t { kParent, kType, kTitle, kUrl, kMarkedDeleted };
constexpr std::array<FieldColumn, 5> kBookmarkFields{
    {{"parent", 2}, {"type", 3}, {"title", 4}, {"url", 5}, {"deleted", -1}}};

struct Folder {
    std::string title;
    std::optional<std::int64_t> parent;
};

struct Leaf {
    BookmarkRecord record;
    std::optional<std::int64_t> parent;
};

/// The folder path above `parent` and whether it lies in the reading list.
std::pair<std::string, bool> folderPath(const std::unordered_map<std::int64_t, Folder>& folders,
                                        std::optional<std::int64_t> parent) {
    std::string path;
    bool readingList = false;
    for (int depth = 0; parent && depth < kDeepestFolder; ++depth) {
        const auto it = folders.find(*parent);
        if (it == folders.end()) break;
        const Folder& folder = it->second;
        if (folder.title == kReadingListTitle) {
            readingList = true;
            path = path.empty() ? std::string(kReadingListFolder) : std::string(kReadingListFolder) + "/" + path;
        } else if (!folder.title.empty()) {
            path = path.empty() ? folder.title : folder.title + "/" + path;
        }
        if (folder.parent == parent) break;
        parent = folder.parent;
    }
    return {path, readingList};
}

} // namespace

Status decodeBookmarkRows(SqliteFile& file, std::vector<BookmarkRecord>& out) {
    const TableColumns columns = TableColumns::resolve(file, kBookmarkTable, kBookmarkFields, 0);
    std::unordered_map<std::int64_t, Folder> folders;
    std::vector<Leaf> leaves;
    std::string title;
    const Status status = scanRecordTable(
        file, kBookmarkTable,
        [&](const Row& row) {
            if (readText(row, columns[kTitle], title) == TextField::rejected) return kStatusInvalid;
            const auto parent = readKey(row, columns[kParent]);
            if (readKey(row, columns[kType]) == kFolderType) {
                // Only a folder that kept its key can hold anything; live ones come first.
                if (row.rowid != 0) folders.emplace(row.rowid, Folder{title, parent});
                return kStatusOk;
            }
            Leaf leaf;
            if (readText(row, columns[kUrl], leaf.record.url) != TextField::ok || leaf.record.url.empty())
                return kStatusInvalid;
            const bool marked = readNumber(row, columns[kMarkedDeleted]).value_or(0) != 0;
            leaf.record.deleted = row.deleted != kLive || marked ? kDeleted : kLive;
            leaf.record.title = title;
            leaf.parent = parent;
            leaves.push_back(std::move(leaf));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
    out.reserve(out.size() + leaves.size());
    for (Leaf& leaf : leaves) {
        auto [path, readingList] = folderPath(folders, leaf.parent);
        leaf.record.folder = std::move(path);
        leaf.record.readingList = readingList ? 1 : 0;
        out.push_back(std::move(leaf.record));
    }
    return status;
}

Status decodeBookmarks(const std::filesystem::path& bookmarksDb, const DecodeContext& context,
                       std::vector<BookmarkRecord>& out) {
    out.clear();
    if (!platform::pathExists(bookmarksDb)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = openDatabase(file, bookmarksDb, context); status != kStatusOk) return status;
    const Status status = decodeBookmarkRows(file, out);
    const int answer = reportProgress(context, 100);
    return answer != 0 ? answer : status;
}

} // namespace orvelle
