// The decryption program's Manifest.plist and file records go through the
// bounded reader: a list nested 100,000 deep, or one that holds itself, is
// refused with its reason instead of running libplist's recursion off the
// stack.

#include "decrypt/ManifestPlist.h"

#include "decrypt/Plist.h"
#include "support/HostilePlist.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle::decrypt {
namespace {

using test::PlistObject;

TEST(ManifestPlist, HostileListsAreRefusedWithTheirReason) {
    const struct {
        std::string label;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"binary, 100,000 deep", test::nestedBinaryPlist(100000), "nested too deeply"},
        {"XML, 100,000 deep", test::nestedXmlPlist(100000), "nested too deeply"},
        {"an array holding itself", test::binaryPlist({{PlistObject::Kind::array, {0}, {}}}), "cycle"},
    };
    test::TempFolder temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        test::writeFile(temp / "Manifest.plist", c.bytes);
        ManifestPlist plist;
        std::string error;
        EXPECT_FALSE(readManifestPlist(temp / "Manifest.plist", plist, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;

        std::string problem;
        EXPECT_EQ(parsePlist(c.bytes, &problem), nullptr);
        EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
    }
}

} // namespace
} // namespace orvelle::decrypt
