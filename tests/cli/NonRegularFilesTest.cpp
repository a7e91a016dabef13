// End to end: stored files of a backup that are not regular files (a FIFO, a
// socket, links to a file or folder outside the backup, a link that leads
// nowhere) are never read: scan, files and export each finish, name every
// such file "not a regular file: skipped", go on with the others, and copy no
// byte of what a link leads to. And an export never writes through a link
// planted in its destination.

#ifndef _WIN32

#include "support/BackupBuilder.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::TempFolder;

/// Bytes of the file outside the backup: a picture, so that a reader that
/// followed a link would take it for a photo and copy it.
const std::string kOutsideMarker = "OUTSIDE-THE-BACKUP-6d1f";

/// `orvelle ARGS` that is killed after 20 seconds: a run that blocks on a
/// FIFO fails the test (exit 124 or 137) instead of hanging it.
CliRun boundedOrvelle(const TempFolder& temp, const std::vector<std::string>& args) {
    std::vector<std::string> all{"-k", "5", "20", ORVELLE_CLI};
    all.insert(all.end(), args.begin(), args.end());
    return test::runProgram("/usr/bin/timeout", temp, all);
}

enum class Hostile { fifo, socket, linkToOutsideFile, linkToOutsideFolder, danglingLink };

struct HostileCase {
    Hostile kind;
    const char* name;
};

constexpr HostileCase kHostileCases[] = {
    {Hostile::fifo, "FIFO"},
    {Hostile::socket, "socket"},
    {Hostile::linkToOutsideFile, "link to a file outside"},
    {Hostile::linkToOutsideFolder, "link to a folder outside"},
    {Hostile::danglingLink, "link that leads nowhere"},
};

/// A bound Unix socket at `at`: made at a short path (socket paths are
/// short) and moved into place.
bool makeSocket(const fs::path& at) {
    const std::string shortPath = "/tmp/orvelle-sock-" + std::to_string(::getpid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, shortPath.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    ::unlink(shortPath.c_str());
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && ::rename(shortPath.c_str(), at.c_str()) == 0;
}

/// Puts a `kind` where the stored file `at` is.
void plant(Hostile kind, const fs::path& at, const fs::path& outsideFile, const fs::path& outsideFolder) {
    fs::remove(at);
    switch (kind) {
    case Hostile::fifo:
        ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0) << at;
        break;
    case Hostile::socket:
        ASSERT_TRUE(makeSocket(at)) << at;
        break;
    case Hostile::linkToOutsideFile:
        fs::create_symlink(outsideFile, at);
        break;
    case Hostile::linkToOutsideFolder:
        fs::create_directory_symlink(outsideFolder, at);
        break;
    case Hostile::danglingLink:
        fs::create_symlink(outsideFolder / "gone.jpg", at);
        break;
    }
}

/// True when any file below `folder` holds `bytes`.
bool anyFileHolds(const fs::path& folder, const std::string& bytes) {
    if (!fs::exists(folder)) return false;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (content.find(bytes) != std::string::npos) return true;
    }
    return false;
}

TEST(NonRegularFilesTest, StoredFilesThatAreNoRegularFilesAreSkippedAndNamed) {
    TempFolder temp;
    const fs::path outsideFolder = temp / "outside";
    fs::create_directories(outsideFolder);
    const fs::path outsideFile = outsideFolder / "private.jpg";
    std::ofstream(outsideFile, std::ios::binary) << test::photoSample(2048) << kOutsideMarker;
    std::ofstream(outsideFolder / "inner.jpg", std::ios::binary) << test::photoSample(2048) << kOutsideMarker;

    test::BackupBuilder demo = test::demoRecentBackup();
    const fs::path backup = demo.build(temp / "backup");
    // A photo, a message attachment, an app's picture, and a database.
    const std::vector<std::string> hostilePaths = {
        "CameraRollDomain-Media/DCIM/100APPLE/IMG_0004.PNG",
        "MediaDomain-Library/SMS/Attachments/b2/02/55AA66BB-77CC-48DD-99EE-00FF11223344/funny.gif",
        "AppDomain-com.example.photoeditor-Documents/Edits/portrait.png",
        "HomeDomain-Library/Safari/Bookmarks.db",
    };
    std::vector<test::BackupBuilder::Entry> hostile;
    for (const auto& entry : demo.entries())
        if (std::find(hostilePaths.begin(), hostilePaths.end(), entry.domainPath()) != hostilePaths.end())
            hostile.push_back(entry);
    ASSERT_EQ(hostile.size(), hostilePaths.size());

    for (const HostileCase& c : kHostileCases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : hostile)
            plant(c.kind, backup / demo.storedRelativePath(entry), outsideFile, outsideFolder);
        const fs::path dest = temp / ("out-" + std::to_string(static_cast<int>(c.kind)));
        const std::vector<std::vector<std::string>> commands = {
            {"scan", test::arg(backup)},
            {"files", test::arg(backup)},
            {"export", test::arg(backup), test::arg(dest)},
        };
        for (const auto& args : commands) {
            SCOPED_TRACE(args.front());
            const CliRun run = boundedOrvelle(temp, args);
            // 4: a category (the bookmarks) could not be read; the rest was.
            EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 4) << run.exitCode << "\n" << run.err;
            for (const auto& entry : hostile) {
                if (entry.domainPath().find("Bookmarks.db") != std::string::npos) continue;
                EXPECT_NE(run.err.find(entry.domainPath() + " (" + entry.fileId() +
                                       "): not a regular file: skipped"),
                          std::string::npos)
                    << run.err;
            }
            if (args.front() != "files")
                EXPECT_NE(run.err.find("could not be read: Bookmarks.db: not a regular file: skipped"),
                          std::string::npos)
                    << run.err;
        }
        // The other files went out; nothing of what the links lead to did.
        EXPECT_TRUE(fs::exists(dest / "Camera Roll" / "IMG_0002.JPG"));
        EXPECT_FALSE(fs::exists(dest / "Camera Roll" / "IMG_0004.PNG"));
        EXPECT_FALSE(anyFileHolds(dest, kOutsideMarker));
    }
}

TEST(NonRegularFilesTest, ExportNeverWritesThroughALinkInItsDestination) {
    TempFolder temp;
    const fs::path backup = test::demoRecentBackup().build(temp / "backup");
    const fs::path dest = temp / "out";
    const fs::path elsewhere = temp / "elsewhere";
    fs::create_directories(dest);
    fs::create_directories(elsewhere / "photos");
    fs::create_directories(elsewhere / "messages");
    fs::create_directory_symlink(elsewhere / "photos", dest / "Camera Roll");
    fs::create_directory_symlink(elsewhere / "messages", dest / "Message");

    const CliRun run = boundedOrvelle(temp, {"export", test::arg(backup), test::arg(dest)});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    // Each file meant for those folders is listed as failed, with the reason.
    EXPECT_NE(run.out.find("Camera Roll/IMG_0002.JPG: the folder is a link or not a folder"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Message/James Chen-"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::is_empty(elsewhere / "photos"));
    EXPECT_TRUE(fs::is_empty(elsewhere / "messages"));
    // The categories whose folders are the export's own were written.
    EXPECT_TRUE(fs::exists(dest / "index.html"));
    EXPECT_TRUE(fs::is_directory(dest / "Photo Stream"));
    EXPECT_TRUE(fs::is_directory(dest / "Contacts"));
}

} // namespace
} // namespace orvelle

#endif
