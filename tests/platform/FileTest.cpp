#include "platform/File.h"

#include "platform/Folder.h"
#include "platform/OutputFile.h"
#include "support/TempFolder.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace orvelle::platform {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32

/// Opens `path` on another thread: a FIFO that blocked the open would
/// otherwise hang the test instead of failing it.
std::error_code openWithin5Seconds(const fs::path& path, LinkRule links, bool& opened) {
    auto result = std::async(std::launch::async, [path, links] {
        InputFile file;
        std::error_code ec;
        const bool ok = file.open(path, ec, links);
        return std::make_pair(ok, ec);
    });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "opening " << path << " blocked";
        std::_Exit(1); // the blocked thread cannot be joined
    }
    const auto [ok, ec] = result.get();
    opened = ok;
    return ec;
}

/// A bound Unix socket at `at` (made at a short path and moved into place).
void makeSocket(const fs::path& at) {
    const std::string shortPath = "/tmp/orvelle-sock-" + std::to_string(::getpid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, shortPath.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    ::unlink(shortPath.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_EQ(::rename(shortPath.c_str(), at.c_str()), 0);
}

TEST(InputFileTest, OnlyRegularFilesOpenAndALinkOnlyWhenTheUserNamedIt) {
    test::TempFolder folder;
    test::writeFile(folder / "file", "bytes");
    fs::create_directories(folder / "folder");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    makeSocket(folder / "socket");
    fs::create_symlink(folder / "file", folder / "link");
    fs::create_directory_symlink(folder / "folder", folder / "folder-link");
    fs::create_symlink(folder / "missing", folder / "dangling");
    // The folders on the way may be links: only the last name counts.
    fs::create_directory_symlink(folder.path(), folder / "via");

    struct Case {
        const char* name;
        bool opensRefusingLinks;
        bool opensFollowingLinks;
        bool refusal; ///< a refusal rather than a system error when it does not open
    };
    const Case cases[] = {
        {"file", true, true, false},         {"via/file", true, true, false},
        {"fifo", false, false, true},        {"socket", false, false, true},
        {"folder", false, false, true},      {"link", false, true, true},
        {"folder-link", false, false, true}, {"dangling", false, false, true},
        {"missing", false, false, false},
    };
    for (const Case& c : cases) {
        for (const LinkRule links : {LinkRule::refuse, LinkRule::follow}) {
            SCOPED_TRACE(std::string(c.name) +
                         (links == LinkRule::refuse ? ", links refused" : ", links followed"));
            bool opened = false;
            const std::error_code ec = openWithin5Seconds(folder / c.name, links, opened);
            const bool expected = links == LinkRule::refuse ? c.opensRefusingLinks : c.opensFollowingLinks;
            EXPECT_EQ(opened, expected) << ec.message();
            // A followed link that leads nowhere is simply missing.
            const bool refusal =
                c.refusal && !(links == LinkRule::follow && std::string(c.name) == "dangling");
            if (!expected) EXPECT_EQ(isNotRegularFile(ec), refusal) << ec.message();
        }
    }
    std::string text;
    std::error_code ec;
    EXPECT_FALSE(readWholeFile(folder / "link", text, ec));
    EXPECT_EQ(ec, FileRefusal::notRegularFile);
    EXPECT_EQ(ec.message(), "not a regular file");
    EXPECT_TRUE(readWholeFile(folder / "link", text, ec, LinkRule::follow));
    EXPECT_EQ(text, "bytes");
}

TEST(InputFileTest, ANameIsThereWhateverItIs) {
    test::TempFolder folder;
    fs::create_symlink(folder / "missing", folder / "dangling");
    EXPECT_TRUE(pathExists(folder / "dangling"));
    EXPECT_FALSE(pathExists(folder / "missing"));
}

TEST(CreateFoldersWithinTest, NoFolderBelowTheBaseMayBeALinkOrAFile) {
    test::TempFolder folder;
    const fs::path out = folder / "out";
    const fs::path elsewhere = folder / "elsewhere";
    fs::create_directories(out);
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, out / "Camera Roll");
    fs::create_directories(out / "Message");
    fs::create_directory_symlink(elsewhere, out / "Message" / "chat");
    test::writeFile(out / "Notes", "a file in the way");
    // The base itself may be reached through the user's own link.
    fs::create_directory_symlink(out, folder / "out-link");

    struct Case {
        fs::path base;
        fs::path folder;
        bool created;
        std::error_code expected;
    };
    const std::error_code refused = FileRefusal::linkedFolder;
    const Case cases[] = {
        {out, out / "Photo Stream", true, {}},
        {out, out / "App Photos" / "example", true, {}},
        {out, out, true, {}},
        {folder / "out-link", folder / "out-link" / "Contacts" / "stamp", true, {}},
        {out, out / "Camera Roll", false, refused},
        {out, out / "Camera Roll" / "deeper", false, refused},
        {out, out / "Message" / "chat", false, refused},
        {out, out / "Notes", false, refused},
        {out, folder / "beside", false, std::make_error_code(std::errc::invalid_argument)},
        {out, out / ".." / "beside", false, std::make_error_code(std::errc::invalid_argument)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.string());
        std::error_code ec;
        EXPECT_EQ(createFoldersWithin(c.base, c.folder, ec), c.created);
        EXPECT_EQ(ec, c.expected) << ec.message();
        if (c.created) EXPECT_TRUE(fs::is_directory(c.folder));
    }
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_FALSE(fs::exists(folder / "beside"));
}

TEST(OutputFileTest, ANewFileIsNeverCreatedThroughALink) {
    test::TempFolder folder;
    test::writeFile(folder / "target", "keep");
    fs::create_symlink(folder / "target", folder / "link");
    fs::create_symlink(folder / "nowhere", folder / "dangling");
    for (const char* name : {"link", "dangling"}) {
        OutputFile file;
        std::error_code ec;
        EXPECT_FALSE(file.createNew(folder / name, ec)) << name;
        EXPECT_EQ(ec, std::errc::file_exists) << name;
    }
    EXPECT_EQ(test::readFile(folder / "target"), "keep");
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
}

#endif

} // namespace
} // namespace orvelle::platform
