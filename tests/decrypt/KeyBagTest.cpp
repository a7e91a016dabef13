#include "decrypt/KeyBag.h"

#include <gtest/gtest.h>

namespace orvelle::decrypt {
namespace {

std::string be32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string tlv(const std::string& tag, const std::string& value) {
    return tag + be32(std::uint32_t(value.size())) + value;
}

std::string header() {
    return tlv("VERS", be32(3)) + tlv("TYPE", be32(1)) + tlv("UUID", std::string(16, 'B')) +
           tlv("HMCK", std::string(40, 'h')) + tlv("WRAP", be32(0)) + tlv("SALT", std::string(20, 's')) +
           tlv("ITER", be32(10000)) + tlv("DPWT", be32(1)) + tlv("DPIC", be32(10000000)) +
           tlv("DPSL", std::string(20, 'd'));
}

std::string classKey(std::uint32_t cls, std::uint32_t wrap, std::size_t keySize = 40) {
    return tlv("UUID", std::string(16, char('0' + cls))) + tlv("CLAS", be32(cls)) + tlv("WRAP", be32(wrap)) +
           tlv("KTYP", be32(0)) + tlv("WPKY", std::string(keySize, char('a' + cls)));
}

TEST(KeyBag, HeaderAndClassKeysAreSeparatedByTheSecondUuid) {
    KeyBag bag;
    std::string error;
    ASSERT_TRUE(parseKeyBag(header() + classKey(1, 3) + classKey(3, 2) + classKey(4, 1), bag, error))
        << error;
    EXPECT_EQ(bag.uuid, std::string(16, 'B'));
    EXPECT_EQ(bag.version, 3u);
    EXPECT_EQ(bag.salt, std::string(20, 's'));
    EXPECT_EQ(bag.iterations, 10000u);
    EXPECT_EQ(bag.dpSalt, std::string(20, 'd'));
    EXPECT_EQ(bag.dpIterations, 10000000u);
    EXPECT_TRUE(bag.hasDoubleProtection());
    ASSERT_EQ(bag.classKeys.size(), 3u);
    EXPECT_EQ(bag.classKeys[1].protectionClass, 3u);
    EXPECT_EQ(bag.classKeys[1].wrap, 2u);
    EXPECT_EQ(bag.classKeys[1].wrappedKey, std::string(40, 'd'));
    EXPECT_EQ(bag.classKeys[2].uuid, std::string(16, '4'));
}

TEST(KeyBag, OlderKeybagsHaveNoSecondRound) {
    KeyBag bag;
    std::string error;
    const std::string old = tlv("VERS", be32(2)) + tlv("UUID", std::string(16, 'B')) +
                            tlv("SALT", std::string(20, 's')) + tlv("ITER", be32(10000));
    ASSERT_TRUE(parseKeyBag(old + classKey(1, 2), bag, error)) << error;
    EXPECT_FALSE(bag.hasDoubleProtection());
}

TEST(KeyBag, DamagedKeybagsAreRefusedWithAReason) {
    const std::string good = header() + classKey(3, 2);
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string hugeLength = good;
    hugeLength.replace(4, 4, "\xFF\xFF\xFF\xF0");
    std::string shortUuid = tlv("UUID", "short") + good;
    const Case cases[] = {
        {"empty", ""},
        {"truncated record header", good + "CLA"},
        {"value runs past the end", good.substr(0, good.size() - 1)},
        {"huge length", hugeLength},
        {"short UUID", shortUuid},
        {"no salt", tlv("UUID", std::string(16, 'B')) + tlv("ITER", be32(1)) + classKey(3, 2)},
        {"no class keys", header()},
        {"four-byte value of another size",
         header() + tlv("UUID", std::string(16, 'C')) + tlv("CLAS", "12345")},
        {"random bytes", std::string(300, '\x7F')},
    };
    for (const Case& c : cases) {
        KeyBag bag;
        std::string error;
        EXPECT_FALSE(parseKeyBag(c.bytes, bag, error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

} // namespace
} // namespace orvelle::decrypt

namespace orvelle::decrypt {
namespace {

// Damaged copies of a good keybag (bytes changed, cut short) never crash the
// parser, and whatever it accepts has sane sizes.
TEST(KeyBag, MutatedKeybagsNeverCrash) {
    const std::string good = header() + classKey(1, 2) + classKey(3, 2) + classKey(4, 3);
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        for (int flips = 1 + next() % 4; flips > 0; --flips)
            bytes[next() % bytes.size()] = char(next() >> 16);
        if (round % 3 == 0) bytes.resize(next() % bytes.size());
        KeyBag bag;
        std::string error;
        if (parseKeyBag(bytes, bag, error)) {
            EXPECT_EQ(bag.uuid.size(), kUuidSize);
            EXPECT_LE(bag.classKeys.size(), bytes.size() / kTlvHeaderSize);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

} // namespace
} // namespace orvelle::decrypt
