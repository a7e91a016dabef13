// End to end: a backup whose Info.plist or Manifest.plist nests 100,000
// levels deep. Each command runs as its own process, so a crash fails the
// test instead of ending the test program; the folder is listed as
// unreadable and the other backups of the root as usual.

#include "support/HostilePlist.h"

#include "support/BackupBuilder.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::orvelle;

constexpr std::size_t kHostileDepth = 100000;
constexpr std::string_view kTooDeep = "nested too deeply";

TEST(HostilePlist, DeepPlistsMakeOneFolderUnreadableAndHideNoOther) {
    test::TempFolder temp;
    const fs::path root = temp / "root";
    test::makeDemoBackups(root);
    const struct {
        std::string folder;
        std::string file;
        std::string bytes;
    } hostile[] = {
        {"deep-info-binary", "Info.plist", test::nestedBinaryPlist(kHostileDepth)},
        {"deep-manifest-binary", "Manifest.plist", test::nestedBinaryPlist(kHostileDepth)},
        {"deep-manifest-xml", "Manifest.plist", test::nestedXmlPlist(kHostileDepth)},
    };
    for (const auto& h : hostile) {
        test::BackupBuilder().build(root / h.folder);
        test::writeFile(root / h.folder / h.file, h.bytes);
    }

    const CliRun list = orvelle(temp, {"list", "--json", "--backup-root", test::arg(root)});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("Anna's iPhone"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Ben's iPad"), std::string::npos) << list.out;
    for (const auto& h : hostile) {
        SCOPED_TRACE(h.folder);
        EXPECT_NE(
            list.out.find("\"problem\": \"" + h.file + ": the property list is " + std::string(kTooDeep)),
            std::string::npos)
            << list.out;
        EXPECT_NE(list.err.find(h.folder + ": unreadable: " + h.file), std::string::npos) << list.err;

        const CliRun info = orvelle(temp, {"info", test::arg(root / h.folder)});
        EXPECT_EQ(info.exitCode, 0) << info.err;
        EXPECT_NE(info.out.find(kTooDeep), std::string::npos) << info.out;

        const CliRun scan = orvelle(temp, {"scan", test::arg(root / h.folder)});
        EXPECT_GE(scan.exitCode, 0);
        EXPECT_LT(scan.exitCode, 128) << "the scan ended by a signal: " << scan.err;
        EXPECT_NE(scan.err.find(kTooDeep), std::string::npos) << "the refusal is told: " << scan.err;
    }
}

} // namespace
} // namespace orvelle
