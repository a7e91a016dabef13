#include "platform/PrivateFolder.h"

#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvelle::platform {
namespace {

namespace fs = std::filesystem;

// Links need a privilege on Windows; where they cannot be made the case is skipped.
bool makeLink(const fs::path& target, const fs::path& link) {
    std::error_code ec;
    if (fs::is_directory(target, ec))
        fs::create_directory_symlink(target, link, ec);
    else
        fs::create_symlink(target, link, ec);
    return !ec;
}

#ifndef _WIN32
unsigned modeOf(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode & 07777) : 0u;
}
#endif

// A folder outside the tree under test, with files that must survive.
struct Outside {
    explicit Outside(const fs::path& folder) : folder(folder) {
        test::writeFile(folder / "letter.txt", "the owner's letter");
        test::writeFile(folder / "inner" / "photo.jpg", "the owner's photo");
    }
    bool intact() const {
        std::error_code ec;
        return fs::exists(folder / "letter.txt", ec) && fs::exists(folder / "inner" / "photo.jpg", ec);
    }
    fs::path folder;
};

TEST(PrivateFolder, APrivateFolderIsNewRandomAndForTheUserAlone) {
    test::TempFolder temp;
    std::error_code ec;
    const fs::path first = makePrivateFolder(temp.path(), "orvelle-run-", ec);
    ASSERT_FALSE(first.empty()) << ec.message();
    const fs::path second = makePrivateFolder(temp.path(), "orvelle-run-", ec);
    ASSERT_FALSE(second.empty()) << ec.message();
    EXPECT_NE(first, second);
    for (const fs::path& folder : {first, second}) {
        EXPECT_EQ(folder.parent_path(), temp.path());
        EXPECT_EQ(folder.filename().string().rfind("orvelle-run-", 0), 0u) << folder;
        EXPECT_GT(folder.filename().string().size(), std::string("orvelle-run-").size() + 5) << folder;
        EXPECT_EQ(checkFolderTrust(folder), FolderTrust::Trusted);
#ifndef _WIN32
        EXPECT_EQ(modeOf(folder), 0700u);
#endif
    }
    EXPECT_TRUE(makePrivateFolder(temp / "missing", "orvelle-run-", ec).empty());
    EXPECT_TRUE(ec);
}

#ifndef _WIN32
TEST(PrivateFolder, TheModeDoesNotDependOnTheUmask) {
    test::TempFolder temp;
    const mode_t before = ::umask(0);
    std::error_code ec;
    const fs::path folder = makePrivateFolder(temp.path(), "run-", ec);
    const FolderTrust parent = makeTrustedFolder(temp / "parent");
    ::umask(before);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(parent, FolderTrust::Trusted);
    EXPECT_EQ(modeOf(temp / "parent"), 0700u);
}
#endif

TEST(PrivateFolder, OnlyARealFolderOfTheUserOpenToNobodyElseIsTrusted) {
    test::TempFolder temp;
    const Outside outside(temp / "outside");
    struct Case {
        const char* name;
        std::function<bool(const fs::path&)> make; // false: cannot be made here, skipped
        FolderTrust expected;
    };
    const Case cases[] = {
        {"missing: made for the user alone", [](const fs::path&) { return true; }, FolderTrust::Trusted},
        {"an existing folder of the user",
         [](const fs::path& p) { return fs::create_directory(p); },
         FolderTrust::Trusted},
        {"a link to a folder", [&](const fs::path& p) { return makeLink(outside.folder, p); }, FolderTrust::Link},
        {"a link that leads nowhere", [&](const fs::path& p) { return makeLink(temp / "nowhere", p); },
         FolderTrust::Link},
        {"a file",
         [](const fs::path& p) {
             test::writeFile(p, "x");
             return true;
         },
         FolderTrust::NotFolder},
#ifndef _WIN32
        {"a folder others may write to",
         [](const fs::path& p) { return fs::create_directory(p) && ::chmod(p.c_str(), 0777) == 0; },
         FolderTrust::WritableByOthers},
        {"a folder the group may write to",
         [](const fs::path& p) { return fs::create_directory(p) && ::chmod(p.c_str(), 0770) == 0; },
         FolderTrust::WritableByOthers},
        {"another user's folder (only root can make one)",
         [](const fs::path& p) { return ::geteuid() == 0 && fs::create_directory(p) && ::chown(p.c_str(), 65534, 65534) == 0; },
         FolderTrust::OwnedByOther},
#endif
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = temp / ("case" + std::to_string(index++));
        if (!c.make(path)) continue;
        EXPECT_EQ(makeTrustedFolder(path), c.expected);
        EXPECT_EQ(checkFolderTrust(path), c.expected);
    }
    EXPECT_EQ(checkFolderTrust(temp / "never-made"), FolderTrust::Missing);
    EXPECT_TRUE(outside.intact());
}

TEST(PrivateFolder, RemovingATreeNeverFollowsALink) {
    test::TempFolder temp;
    struct Case {
        const char* name;
        // Builds the tree at `root`, with links to `outside`; false: links cannot be made here.
        std::function<bool(const fs::path& root, const fs::path& outside)> make;
    };
    const Case cases[] = {
        {"a link to a folder inside",
         [](const fs::path& root, const fs::path& outside) {
             test::writeFile(root / "copy.db", "decrypted");
             return makeLink(outside, root / "linked");
         }},
        {"a link to a file inside",
         [](const fs::path& root, const fs::path& outside) {
             test::writeFile(root / "copy.db", "decrypted");
             return makeLink(outside / "letter.txt", root / "linked-file");
         }},
        {"a link deep down",
         [](const fs::path& root, const fs::path& outside) {
             test::writeFile(root / "a" / "b" / "c" / "copy.db", "decrypted");
             test::writeFile(root / "a" / ".hidden", "decrypted");
             return makeLink(outside, root / "a" / "b" / "linked");
         }},
        {"the tree itself is a link",
         [](const fs::path& root, const fs::path& outside) { return makeLink(outside, root); }},
        {"a plain tree without links",
         [](const fs::path& root, const fs::path&) {
             test::writeFile(root / "x" / "y", "decrypted");
             fs::create_directories(root / "empty" / "folder");
             return true;
         }},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path base = temp / ("case" + std::to_string(index++));
        const Outside outside(base / "outside");
        const fs::path root = base / "tree";
        if (!c.make(root, outside.folder)) continue;
        EXPECT_TRUE(removeTree(root));
        std::error_code ec;
        EXPECT_FALSE(fs::exists(fs::symlink_status(root, ec))) << "nothing of the tree is left";
        EXPECT_TRUE(outside.intact());
    }
    EXPECT_TRUE(removeTree(temp / "never-made")) << "nothing there is nothing left";
    test::writeFile(temp / "a file", "x");
    EXPECT_TRUE(removeTree(temp / "a file"));
    EXPECT_FALSE(fs::exists(temp / "a file"));
}

} // namespace
} // namespace orvelle::platform
