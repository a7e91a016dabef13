// A stored file that is a link is refused by the copy out of the backup (the
// export and the desktop program's Recover): the scan may have seen a file
// where a link stands by now. (FIFOs are refused by the same open; the
// platform and command-line tests hold them, with a time limit.)

#ifndef _WIN32

#include "backup/StoredFileCopy.h"

#include "platform/OutputFile.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

std::vector<Status> g_closingCalls;

int recordClosing(void*, int percent, Status status, const fs::path&) {
    if (percent == 100) g_closingCalls.push_back(status);
    return status;
}

TEST(StoredFileCopyRefusal, ALinkIsNotCopiedAndSaysWhy) {
    test::TempFolder temp;
    std::ofstream(temp / "outside", std::ios::binary) << "bytes outside the backup";
    fs::create_symlink(temp / "outside", temp / "link");
    fs::create_symlink(temp / "gone", temp / "dangling");
    for (const char* name : {"link", "dangling"}) {
        SCOPED_TRACE(name);
        g_closingCalls.clear();
        EXPECT_EQ(copyStoredFile(temp / name, temp / "copies" / name, &recordClosing, nullptr),
                  kStatusNotRegularFile);
        EXPECT_EQ(g_closingCalls, std::vector<Status>{kStatusNotRegularFile});
        EXPECT_FALSE(fs::exists(temp / "copies" / name));

        // The export's way: into a file it has just created, which it then removes.
        g_closingCalls.clear();
        platform::OutputFile out;
        std::error_code ec;
        ASSERT_TRUE(out.createNew(temp / (std::string(name) + ".new"), ec));
        EXPECT_EQ(copyStoredFileInto(temp / name, out, temp / "x", &recordClosing, nullptr),
                  kStatusNotRegularFile);
        EXPECT_FALSE(out.isOpen());
        EXPECT_EQ(g_closingCalls, std::vector<Status>{kStatusNotRegularFile});
    }
}

} // namespace
} // namespace orvelle

#endif
