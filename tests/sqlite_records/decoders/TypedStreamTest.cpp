#include "sqlite_records/decoders/TypedStream.h"

#include "support/SharedData.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace orvelle {
namespace {

std::string sample(const std::string& name) {
    return test::readFile(test::sharedData("real/attributed-body") / name);
}

struct SampleCase {
    const char* file;
    const char* text;
    bool truncated;
};

class TypedStreamSampleTest : public ::testing::TestWithParam<SampleCase> {};

TEST_P(TypedStreamSampleTest, ReadsThePlainString) {
    ORVELLE_NEED_SHARED_DATA("real/attributed-body");
    const auto& c = GetParam();
    const auto result = readAttributedStringText(sample(c.file));
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->text, c.text);
    EXPECT_EQ(result->truncated, c.truncated);
}

INSTANTIATE_TEST_SUITE_P(DeviceArchives, TypedStreamSampleTest,
                         ::testing::Values(SampleCase{"AttributedBodyTextOnly", "Noter test", false},
                                           SampleCase{"AttributedBodyTextOnly2", "Test 3", false},
                                           SampleCase{"Blank", "", false},
                                           SampleCase{"URL", "https://github.com/ReagentX/Logria", false},
                                           // The text's length says 157 bytes, but the archive
                                           // ends the string object after 17.
                                           SampleCase{"ExtraData", "This is parsing  ", true}));

TEST(TypedStreamTest, EveryCutOfAnArchiveIsRefusedOrReadWithoutOverrun) {
    ORVELLE_NEED_SHARED_DATA("real/attributed-body");
    const std::string whole = sample("URL");
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const auto result = readAttributedStringText(std::string_view(whole).substr(0, n));
        if (result) EXPECT_LE(result->text.size(), n);
    }
}

TEST(TypedStreamTest, EveryByteChangedIsRefusedOrReadWithinTheArchive) {
    ORVELLE_NEED_SHARED_DATA("real/attributed-body");
    for (const char* name : {"AttributedBodyTextOnly", "ExtraData"}) {
        const std::string whole = sample(name);
        for (std::size_t at = 0; at < whole.size(); ++at)
            for (const unsigned char value : {0x00, 0x7f, 0x81, 0x82, 0x84, 0x85, 0x86, 0x92, 0xff}) {
                std::string changed = whole;
                changed[at] = static_cast<char>(value);
                const auto result = readAttributedStringText(changed);
                if (result) EXPECT_LT(result->text.size(), whole.size());
            }
    }
}

TEST(TypedStreamTest, RefusesOtherBytes) {
    EXPECT_FALSE(readAttributedStringText(""));
    EXPECT_FALSE(readAttributedStringText("plain text, not an archive"));
    ORVELLE_NEED_SHARED_DATA("real/attributed-body");
    // Big-endian streams ("typedstream") are not what devices write.
    std::string other = sample("AttributedBodyTextOnly");
    other.replace(2, 11, "typedstream");
    EXPECT_FALSE(readAttributedStringText(other));
    // A root object that is not an attributed string.
    std::string notAttributed = sample("AttributedBodyTextOnly2");
    const auto at = notAttributed.find("NSAttributedString");
    notAttributed[at + 2] = 'X';
    EXPECT_FALSE(readAttributedStringText(notAttributed));
}

TEST(TypedStreamTest, ReadsSixteenBitLengths) {
    // Header, "@", NSAttributedString < NSObject, "@", NSString < (ref NSObject), "+", 0x81 len16, text.
    using namespace std::string_literals;
    std::string archive = "\x04\x0bstreamtyped\x81\xe8\x03"s;
    archive += "\x84\x01@\x84\x84\x84\x12NSAttributedString\x00\x84\x84\x08NSObject\x00\x85"s;
    archive += "\x92\x84\x84\x84\x08NSString\x01\x94\x84\x01+\x81\x2c\x01"s;
    const std::string text(300, 'a');
    archive += text;
    archive += "\x86";
    const auto result = readAttributedStringText(archive);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->text, text);
    EXPECT_FALSE(result->truncated);
}

} // namespace
} // namespace orvelle
