// The bounds put on a property list before libplist reads it: nesting,
// reference cycles, expansion through shared members, and a binary list's
// trailer, offsets and references.

#include "backup/PlistBounds.h"

#include "support/HostilePlist.h"
#include "support/InfoPlistWriter.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::PlistObject;
using Kind = PlistObject::Kind;

/// An array holding object 1, and the string object 1.
std::string arrayAndString() {
    return test::binaryPlist({{Kind::array, {1}, {}}, {Kind::string, {}, "x"}});
}

/// Where the offset table of `list` starts (from its trailer).
std::size_t tableOffsetOf(const std::string& list) {
    std::size_t offset = 0;
    for (std::size_t i = list.size() - 8; i < list.size(); ++i)
        offset = (offset << 8) | static_cast<unsigned char>(list[i]);
    return offset;
}

/// `depth` arrays, each holding the next one twice, around a string.
std::string doublingChain(std::size_t depth) {
    std::vector<PlistObject> objects(depth + 1);
    for (std::size_t i = 0; i < depth; ++i)
        objects[i] = {Kind::array, {i + 1, i + 1}, {}};
    objects[depth] = {Kind::string, {}, "leaf"};
    return test::binaryPlist(objects);
}

TEST(PlistBounds, HostileListsAreRefusedAndRealOnesPass) {
    std::string offsetPastTable = arrayAndString();
    offsetPastTable[tableOffsetOf(offsetPastTable) + 1] = static_cast<char>(tableOffsetOf(offsetPastTable));
    std::string offsetInHeader = arrayAndString();
    offsetInHeader[tableOffsetOf(offsetInHeader) + 1] = 2;
    std::string topOutOfRange = arrayAndString();
    topOutOfRange[topOutOfRange.size() - 9] = 7;
    std::string arrayPastEnd = arrayAndString();
    arrayPastEnd[8] = static_cast<char>(0xAE); // 14 members where one fits

    const struct {
        std::string label;
        std::string bytes;
        PlistBoundsFault fault;
    } cases[] = {
        {"binary Info.plist", test::InfoPlistWriter().toBinary(), PlistBoundsFault::none},
        {"XML Info.plist", test::InfoPlistWriter().toXml(), PlistBoundsFault::none},
        {"binary at the depth limit", test::nestedBinaryPlist(kMaxPlistDepth), PlistBoundsFault::none},
        {"binary one level deeper", test::nestedBinaryPlist(kMaxPlistDepth + 1), PlistBoundsFault::tooDeep},
        {"binary 100,000 deep", test::nestedBinaryPlist(100000), PlistBoundsFault::tooDeep},
        {"XML at the depth limit", test::nestedXmlPlist(kMaxPlistDepth), PlistBoundsFault::none},
        {"XML one level deeper", test::nestedXmlPlist(kMaxPlistDepth + 1), PlistBoundsFault::tooDeep},
        {"XML 100,000 deep", test::nestedXmlPlist(100000), PlistBoundsFault::tooDeep},
        {"XML depth inside a comment",
         "<plist><!--" + std::string(2000, '<') + "<array>-->" + "<![CDATA[<array><array>]]></plist>",
         PlistBoundsFault::none},
        {"JSON 100,000 deep", std::string(100000, '[') + std::string(100000, ']'), PlistBoundsFault::tooDeep},
        {"array holding itself", test::binaryPlist({{Kind::array, {0}, {}}}), PlistBoundsFault::cycle},
        {"cycle two levels down",
         test::binaryPlist({{Kind::dictionary, {1, 2}, {}}, {Kind::string, {}, "k"}, {Kind::array, {0}, {}}}),
         PlistBoundsFault::cycle},
        {"one string shared by many keys",
         test::binaryPlist(
             {{Kind::dictionary, {1, 2, 1, 2}, {}}, {Kind::string, {}, "k"}, {Kind::array, {}, {}}}),
         PlistBoundsFault::none},
        {"shared arrays doubling 40 times", doublingChain(40), PlistBoundsFault::tooLarge},
        {"trailer cut short", arrayAndString().substr(0, 30), PlistBoundsFault::truncated},
        {"top object out of range", topOutOfRange, PlistBoundsFault::badTrailer},
        {"offset at the offset table", offsetPastTable, PlistBoundsFault::offsetOutOfRange},
        {"offset inside the header", offsetInHeader, PlistBoundsFault::offsetOutOfRange},
        {"member that does not exist", test::binaryPlist({{Kind::array, {9}, {}}, {Kind::string, {}, "x"}}),
         PlistBoundsFault::referenceOutOfRange},
        {"members past the end", arrayPastEnd, PlistBoundsFault::badContainer},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkPlistBounds(c.bytes), c.fault) << c.label;
        plist_t root = nullptr;
        EXPECT_EQ(parseBoundedPlist(c.bytes, root), c.fault) << c.label;
        if (c.fault != PlistBoundsFault::none) EXPECT_EQ(root, nullptr) << c.label;
        plist_free(root);
    }
}

TEST(PlistBounds, AcceptedListsAreParsed) {
    for (const std::string& bytes :
         {test::nestedBinaryPlist(kMaxPlistDepth), test::nestedXmlPlist(kMaxPlistDepth),
          test::InfoPlistWriter().toBinary()}) {
        plist_t root = nullptr;
        ASSERT_EQ(parseBoundedPlist(bytes, root), PlistBoundsFault::none);
        EXPECT_NE(root, nullptr);
        plist_free(root);
    }
}

} // namespace
} // namespace orvelle
