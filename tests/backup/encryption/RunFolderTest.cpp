#include "backup/encryption/RunFolder.h"

#include "platform/PrivateFolder.h"
#include "support/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvelle {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDecryptedFileName = "3d0d7e5fb2ce288813306e4d4636395e047a3d28";

bool makeLink(const fs::path& target, const fs::path& link) {
    std::error_code ec;
    fs::create_directory_symlink(target, link, ec);
    return !ec;
}

bool isThere(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The folder of a run that died: made as a run makes it, its marker's lock
// dropped as the system drops it when a process ends.
fs::path deadRunFolder(const fs::path& parent) {
    std::error_code ec;
    const fs::path folder = platform::makePrivateFolder(parent, kRunFolderPrefix, ec);
    platform::RunLock lock;
    if (folder.empty() || !lock.create(folder, kRunMarkerName, ec)) throw std::runtime_error("no dead run");
    test::writeFile(folder / kDecryptedFileName, "decrypted message");
    return folder;
}

TEST(RunFolder, MadeAtFirstUseForTheUserAloneAndRemovedAtTheEnd) {
    test::TempFolder temp;
    const fs::path parent = temp / "QuorilTempFile";
    fs::path folder;
    {
        RunFolder run(temp / "data", parent);
        EXPECT_FALSE(isThere(parent)) << "nothing is made before it is needed";
        folder = run.path();
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(run.path(), folder) << "one folder per run";
        EXPECT_EQ(folder.parent_path(), parent);
        EXPECT_EQ(folder.filename().string().rfind(kRunFolderPrefix, 0), 0u);
        EXPECT_EQ(platform::checkFolderTrust(parent), platform::FolderTrust::Trusted);
        EXPECT_EQ(platform::checkFolderTrust(folder), platform::FolderTrust::Trusted);
        EXPECT_TRUE(fs::is_regular_file(folder / kRunMarkerName));
#ifndef _WIN32
        EXPECT_EQ(fs::status(parent).permissions(), fs::perms::owner_all);
        EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
#endif
        test::writeFile(folder / "copy" / kDecryptedFileName, "decrypted message");
    }
    EXPECT_FALSE(isThere(folder));
    EXPECT_TRUE(fs::is_directory(parent)) << "the parent stays for the next run";
}

TEST(RunFolder, TwoRunsNeverTouchEachOthersFolder) {
    test::TempFolder temp;
    const fs::path parent = temp / "QuorilTempFile";
    RunFolder first(temp / "data", parent);
    test::writeFile(first.path() / kDecryptedFileName, "the first run's copy");
    {
        RunFolder second(temp / "data", parent);
        EXPECT_NE(second.path(), first.path());
        EXPECT_EQ(removeAbandonedRunFolders(parent), 0u) << "a live run's folder is never abandoned";
    }
    EXPECT_EQ(test::readFile(first.path() / kDecryptedFileName), "the first run's copy");
}

TEST(RunFolder, AnUnsafeParentIsNotUsed) {
    test::TempFolder temp;
    const fs::path victim = temp / "victim";
    test::writeFile(victim / "letter.txt", "the owner's letter");
    struct Case {
        const char* name;
        std::function<bool(const fs::path&)> plant; // false: cannot be made here, skipped
    };
    const Case cases[] = {
        {"a link to a folder", [&](const fs::path& p) { return makeLink(victim, p); }},
        {"a file",
         [](const fs::path& p) {
             test::writeFile(p, "x");
             return true;
         }},
#ifndef _WIN32
        {"a folder others may write to",
         [](const fs::path& p) { return fs::create_directory(p) && ::chmod(p.c_str(), 0777) == 0; }},
        {"another user's folder (only root can make one)",
         [](const fs::path& p) {
             return ::geteuid() == 0 && fs::create_directory(p) && ::chown(p.c_str(), 65534, 65534) == 0;
         }},
#endif
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path parent = temp / ("case" + std::to_string(index++)) / "QuorilTempFile";
        fs::create_directories(parent.parent_path());
        if (!c.plant(parent)) continue;
        fs::path folder;
        {
            RunFolder run(temp / "data", parent);
            folder = run.path();
            ASSERT_FALSE(folder.empty());
            // Windows names the temporary folder with a trailing separator.
            const auto named = [](const fs::path& p) { return p.has_filename() ? p : p.parent_path(); };
            EXPECT_EQ(named(folder.parent_path()), named(fs::temp_directory_path()))
                << "straight into the temporary folder";
            EXPECT_EQ(platform::checkFolderTrust(folder), platform::FolderTrust::Trusted);
            test::writeFile(folder / kDecryptedFileName, "decrypted");
        }
        EXPECT_FALSE(isThere(folder));
        EXPECT_TRUE(isThere(parent)) << "what was planted is left alone";
        EXPECT_EQ(test::readFile(victim / "letter.txt"), "the owner's letter");
        EXPECT_EQ(std::distance(fs::directory_iterator(victim), fs::directory_iterator()), 1);
    }
}

TEST(RunFolder, OnlyFoldersOfDeadRunsAreRemoved) {
    test::TempFolder temp;
    const fs::path parent = temp / "QuorilTempFile";
    fs::create_directories(parent);
    const fs::path outside = temp / "outside";
    test::writeFile(outside / "letter.txt", "the owner's letter");

    const fs::path dead = deadRunFolder(parent);
    const fs::path deadWithLink = deadRunFolder(parent);
    makeLink(outside, deadWithLink / "linked");
    RunFolder live(temp / "data", parent);
    test::writeFile(live.path() / kDecryptedFileName, "a live run's copy");

    struct Kept {
        const char* name;
        fs::path path;
    };
    std::vector<Kept> kept = {{"a live run", live.path()}};
    const fs::path lookAlike = parent / (std::string(kRunFolderPrefix) + "lookalike");
    test::writeFile(lookAlike / kDecryptedFileName, "not provably ours: no marker");
    kept.push_back({"a folder without a marker", lookAlike});
    test::writeFile(parent / "notes.txt", "someone's notes");
    kept.push_back({"a file of the parent", parent / "notes.txt"});
    test::writeFile(parent / "keep" / kRunMarkerName, "");
    kept.push_back({"a folder not named like a run", parent / "keep"});
    const fs::path elsewhere = deadRunFolder(temp.path());
    if (makeLink(elsewhere, parent / (std::string(kRunFolderPrefix) + "link")))
        kept.push_back({"a link named like a run folder", parent / (std::string(kRunFolderPrefix) + "link")});
    const fs::path linkedMarker = parent / (std::string(kRunFolderPrefix) + "linkedmarker");
    fs::create_directories(linkedMarker);
    std::error_code ec;
    fs::create_symlink(elsewhere / kRunMarkerName, linkedMarker / kRunMarkerName, ec);
    if (!ec) kept.push_back({"a marker that is a link", linkedMarker});
#ifndef _WIN32
    if (::geteuid() == 0) {
        const fs::path foreign = deadRunFolder(parent);
        if (::chown(foreign.c_str(), 65534, 65534) == 0) kept.push_back({"another user's run", foreign});
    }
#endif

    EXPECT_EQ(removeAbandonedRunFolders(parent), 2u);
    EXPECT_FALSE(isThere(dead));
    EXPECT_FALSE(isThere(deadWithLink));
    EXPECT_EQ(test::readFile(outside / "letter.txt"), "the owner's letter") << "the link was not followed";
    for (const Kept& k : kept)
        EXPECT_TRUE(isThere(k.path)) << k.name;
    EXPECT_TRUE(fs::exists(elsewhere / kDecryptedFileName)) << "nothing was followed through a link";
    EXPECT_EQ(test::readFile(live.path() / kDecryptedFileName), "a live run's copy");

    EXPECT_EQ(removeAbandonedRunFolders(temp / "missing"), 0u);
    if (makeLink(parent, temp / "linked-parent")) {
        const fs::path another = deadRunFolder(parent);
        EXPECT_EQ(removeAbandonedRunFolders(temp / "linked-parent"), 0u) << "a parent that is a link is not entered";
        EXPECT_TRUE(isThere(another));
    }
}

} // namespace
} // namespace orvelle
