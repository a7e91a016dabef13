#include "sqlite_records/Record.h"

#include "support/SqliteFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvelle {
namespace {

ByteSpan span(const std::string& bytes) {
    return ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

struct VarintCase {
    std::string bytes;
    std::size_t available;
    std::uint64_t value;
    std::size_t used;
};

TEST(RecordTest, VarintsDecodeAsTheFileFormatDefines) {
    const std::vector<VarintCase> cases = {
        {std::string(1, '\0'), 1, 0, 1},
        {"\x7f", 1, 127, 1},
        {std::string("\x81\x00", 2), 2, 128, 2},
        {"\x82\x2c", 2, 300, 2},
        // Nine bytes: the ninth contributes all 8 bits.
        {std::string(8, '\xff') + "\xff", 9, ~std::uint64_t(0), 9},
        {std::string(8, '\x80') + "\x01", 9, 1, 9},
        // Decoding stops after the available bytes.
        {"\x81\x81\x01", 2, (1u << 7) | 1u, 2},
        {"\x81", 0, 0, 0},
    };
    for (const VarintCase& c : cases) {
        const Varint v = readVarint(span(c.bytes).data(), c.available);
        EXPECT_EQ(v.value, c.value) << c.bytes.size();
        EXPECT_EQ(v.used, c.used);
    }
}

struct ValueCase {
    std::uint64_t serialType;
    std::string body;
    ValueKind kind;
    std::int64_t integer;
};

TEST(RecordTest, IntegersAreBigEndianTwosComplement) {
    const std::vector<ValueCase> cases = {
        {1, "\xff", ValueKind::integer, -1},
        {2, std::string("\x01\x00", 2), ValueKind::integer, 256},
        {3, std::string("\x80\x00\x01", 3), ValueKind::integer, -8388607},
        {4, "\x7f\xff\xff\xff", ValueKind::integer, 2147483647},
        {5, std::string("\xff\xff\xff\xff\xff\xfe", 6), ValueKind::integer, -2},
        {6, std::string("\x00\x00\x00\x01\x00\x00\x00\x00", 8), ValueKind::integer, 4294967296LL},
        {8, "", ValueKind::integer, 0},
        {9, "", ValueKind::integer, 1},
        {0, "", ValueKind::null, 0},
    };
    for (const ValueCase& c : cases) {
        const RecordValue v = decodeValue(c.serialType, span(c.body).data());
        EXPECT_EQ(v.kind, c.kind) << c.serialType;
        EXPECT_EQ(v.integer, c.integer) << c.serialType;
    }
}

TEST(RecordTest, FloatsTextsAndBlobsDecode) {
    const std::string half("\x3f\xe0\x00\x00\x00\x00\x00\x00", 8);
    EXPECT_DOUBLE_EQ(decodeValue(7, span(half).data()).real, 0.5);
    const std::string text = "hello";
    const RecordValue t = decodeValue(13 + 2 * 5, span(text).data());
    EXPECT_EQ(t.kind, ValueKind::text);
    EXPECT_EQ(t.bytes, "hello");
    const RecordValue b = decodeValue(12 + 2 * 3, span(text).data());
    EXPECT_EQ(b.kind, ValueKind::blob);
    EXPECT_EQ(b.bytes, "hel");
}

TEST(RecordTest, CompleteRecordDecodesEveryColumn) {
    const test::SqlRow row = {test::SqlValue::null(), test::SqlValue::text("abc"), test::SqlValue::of(70000),
                              test::SqlValue::ofReal(2.5), test::SqlValue::blob(std::string("\0\1", 2))};
    const std::string record = test::encodeRecord(row);
    std::vector<RecordValue> values;
    std::uint64_t headerLength = 0;
    ASSERT_TRUE(decodeRecord(span(record), values, headerLength));
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(headerLength, 6u);
    EXPECT_TRUE(values[0].isNull());
    EXPECT_EQ(values[1].bytes, "abc");
    EXPECT_EQ(values[2].integer, 70000);
    EXPECT_DOUBLE_EQ(values[3].real, 2.5);
    EXPECT_EQ(values[4].bytes, std::string("\0\1", 2));
    // A body cut short is no record.
    EXPECT_FALSE(decodeRecord(span(record).first(record.size() - 1), values, headerLength));
}

TEST(RecordTest, HeaderlessCandidateStartsAtColumnZeroOrOneByItsFirstByte) {
    const test::SqlRow row = {test::SqlValue::null(), test::SqlValue::text("abc"), test::SqlValue::of(5)};
    const std::string record = test::encodeRecord(row);
    std::vector<RecordValue> values;
    HeaderlessRecord info;
    // From column 0: its serial type is 0.
    ASSERT_TRUE(decodeHeaderless(span(record).subspan(1), 3, values, info));
    EXPECT_EQ(info.firstColumn, 0u);
    EXPECT_EQ(values[1].bytes, "abc");
    EXPECT_EQ(info.length, record.size() - 1);
    // From column 1: the first byte is not 0, so column 0's type was lost.
    ASSERT_TRUE(decodeHeaderless(span(record).subspan(2), 3, values, info));
    EXPECT_EQ(info.firstColumn, 1u);
    EXPECT_TRUE(values[0].isLost());
    EXPECT_EQ(values[1].bytes, "abc");
    EXPECT_EQ(values[2].integer, 5);
    // Serial types 10 and 11 never stand in a record.
    const std::string bad("\x00\x0a\x01\x05", 4);
    EXPECT_FALSE(decodeHeaderless(span(bad), 3, values, info));
}

struct LimitCase {
    const char* name;
    std::string bytes;
    bool headerless;
    std::uint32_t limit;
    bool valid;
};

// A value limit builds only the leading values; every column past it is still
// checked, so a record is accepted or rejected exactly as without the limit.
TEST(RecordTest, AValueLimitDecodesTheLeadingColumnsAndChecksTheRest) {
    const test::SqlRow row = {test::SqlValue::null(), test::SqlValue::text("abc"),
                              test::SqlValue::blob(std::string(200, 'x')), // a two-byte serial type
                              test::SqlValue::ofReal(2.5), test::SqlValue::of(7)};
    const std::string good = test::encodeRecord(row);
    std::string badType = good; // header length, types 0, 19, 412 (two bytes), 7, 1
    badType[6] = '\x0a';        // column 4: serial type 10
    const std::string shortBody = good.substr(0, good.size() - 1);
    const std::string fromColumn0 = good.substr(1); // first byte 0: column 0 on
    const std::string fromColumn1 = good.substr(2); // column 0's type lost
    const std::string headerlessBad = badType.substr(1);
    const std::vector<LimitCase> cases = {
        {"whole record", good, false, 0, true},
        {"whole record", good, false, 1, true},
        {"whole record", good, false, 3, true},
        {"whole record", good, false, 5, true},
        {"whole record", good, false, 9, true},
        {"bad type past the limit", badType, false, 2, false},
        {"body cut past the limit", shortBody, false, 1, false},
        {"headerless from column 0", fromColumn0, true, 0, true},
        {"headerless from column 0", fromColumn0, true, 2, true},
        {"headerless from column 0", fromColumn0, true, 7, true},
        {"headerless from column 1", fromColumn1, true, 0, true},
        {"headerless from column 1", fromColumn1, true, 1, true},
        {"headerless from column 1", fromColumn1, true, 3, true},
        {"headerless bad type past the limit", headerlessBad, true, 3, false},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", limit " + std::to_string(c.limit));
        std::vector<RecordValue> all, some;
        std::uint64_t allHeader = 0, someHeader = 0;
        HeaderlessRecord allInfo, someInfo;
        const bool allOk = c.headerless ? decodeHeaderless(span(c.bytes), 5, all, allInfo)
                                        : decodeRecord(span(c.bytes), all, allHeader);
        const bool someOk = c.headerless ? decodeHeaderless(span(c.bytes), 5, some, someInfo, c.limit)
                                         : decodeRecord(span(c.bytes), some, someHeader, c.limit);
        EXPECT_EQ(allOk, c.valid);
        ASSERT_EQ(someOk, allOk);
        if (!allOk) continue;
        EXPECT_EQ(someHeader, allHeader);
        EXPECT_EQ(someInfo.firstColumn, allInfo.firstColumn);
        EXPECT_EQ(someInfo.serialTypeBytes, allInfo.serialTypeBytes);
        EXPECT_EQ(someInfo.length, allInfo.length);
        ASSERT_EQ(some.size(), std::min<std::size_t>(c.limit, all.size()));
        for (std::size_t i = 0; i < some.size(); ++i) {
            EXPECT_EQ(some[i].serialType, all[i].serialType) << i;
            EXPECT_EQ(some[i].kind, all[i].kind) << i;
            EXPECT_EQ(some[i].integer, all[i].integer) << i;
            EXPECT_EQ(some[i].bytes, all[i].bytes) << i;
        }
    }
}

TEST(RecordTest, SerialTypesLengthAndRecordLength) {
    const std::string types("\x00\x81\x00\x01\x0f", 5); // 0, 128 (blob of 58), 1, 15 (text of 1)
    EXPECT_EQ(serialTypesLength(span(types), 4), 5u);
    EXPECT_EQ(serialTypesLength(span(types), 5), 0u); // runs out
    EXPECT_EQ(recordLength(5, span(types), 1000), 5u + 58 + 1 + 1);
    // Stops early once the length exceeds what is available.
    EXPECT_GT(recordLength(5, span(types), 20), 20u);
}

} // namespace
} // namespace orvelle
