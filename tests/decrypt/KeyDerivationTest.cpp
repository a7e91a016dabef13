#include "decrypt/KeyDerivation.h"

#include "decrypt/KeyBag.h"

#include <gtest/gtest.h>

namespace orvelle::decrypt {
namespace {

std::string hexOf(const unsigned char* bytes, std::size_t size) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

struct Pbkdf2Vector {
    std::uint32_t iterations;
    const char* expected;
};

// RFC 6070 (PBKDF2-HMAC-SHA1), "password" / "salt", 20 bytes.
TEST(KeyDerivation, Pbkdf2Sha1Vectors) {
    for (const Pbkdf2Vector& v : {Pbkdf2Vector{1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
                                  Pbkdf2Vector{2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
                                  Pbkdf2Vector{4096, "4b007901b765489abead49d926f721d065a429c1"}}) {
        unsigned char out[20];
        ASSERT_TRUE(pbkdf2Sha1("password", "salt", v.iterations, out, sizeof out));
        EXPECT_EQ(hexOf(out, sizeof out), v.expected) << v.iterations;
    }
}

// The published PBKDF2-HMAC-SHA256 vectors, "password" / "salt", 32 bytes.
TEST(KeyDerivation, Pbkdf2Sha256Vectors) {
    for (const Pbkdf2Vector& v :
         {Pbkdf2Vector{1, "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
          Pbkdf2Vector{2, "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
          Pbkdf2Vector{4096, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"}}) {
        unsigned char out[32];
        ASSERT_TRUE(pbkdf2Sha256("password", "salt", v.iterations, out, sizeof out));
        EXPECT_EQ(hexOf(out, sizeof out), v.expected) << v.iterations;
    }
}

TEST(KeyDerivation, NewerKeybagsChainSha256IntoSha1) {
    KeyBag bag;
    bag.salt = "salt-sha1-round-xxxx";
    bag.iterations = 3;
    PasscodeKey single{};
    std::string error;
    ASSERT_TRUE(derivePasscodeKey("secret", bag, single, error));
    unsigned char expected[32];
    ASSERT_TRUE(pbkdf2Sha1("secret", bag.salt, 3, expected, 32));
    EXPECT_EQ(hexOf(single.data(), 32), hexOf(expected, 32));

    bag.dpSalt = "salt-sha256-round-yy";
    bag.dpIterations = 5;
    PasscodeKey chained{};
    ASSERT_TRUE(derivePasscodeKey("secret", bag, chained, error));
    unsigned char first[32];
    ASSERT_TRUE(pbkdf2Sha256("secret", bag.dpSalt, 5, first, 32));
    ASSERT_TRUE(pbkdf2Sha1(std::string_view(reinterpret_cast<char*>(first), 32), bag.salt, 3, expected, 32));
    EXPECT_EQ(hexOf(chained.data(), 32), hexOf(expected, 32));
}

TEST(KeyDerivation, IterationCountsOutOfRangeAreRefused) {
    KeyBag bag;
    bag.salt = "s";
    bag.iterations = kMaxIterations + 1;
    PasscodeKey key{};
    std::string error;
    EXPECT_FALSE(derivePasscodeKey("p", bag, key, error));
    EXPECT_FALSE(error.empty());
    unsigned char out[32];
    EXPECT_FALSE(pbkdf2Sha1("p", "s", 0, out, 32));
}

} // namespace
} // namespace orvelle::decrypt
