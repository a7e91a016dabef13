#include "decrypt/KeyDerivation.h"

#include "decrypt/KeyBag.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <vector>

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
        ASSERT_EQ(pbkdf2Sha1("password", "salt", v.iterations, out, sizeof out), Derivation::Done);
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
        ASSERT_EQ(pbkdf2Sha256("password", "salt", v.iterations, out, sizeof out), Derivation::Done);
        EXPECT_EQ(hexOf(out, sizeof out), v.expected) << v.iterations;
    }
}

// The derivation runs its own loop (so it can stop part-way); it must give
// the library's PKCS5_PBKDF2_HMAC bytes for every shape of input: counts
// around the stop-check interval, empty and long salts, outputs of several
// blocks and cut blocks, and keys longer than the hash's block (hashed first).
TEST(KeyDerivation, MatchesTheLibraryOnEveryShapeOfInput) {
    const std::string binarySalt(
        "\x00\xff\x10\x80\x7f\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f", 20);
    const std::string longKey(129, '\xa5');
    const std::string keys[] = {"", "orvelle", std::string("pass\0word", 9), longKey};
    const std::string salts[] = {"", "salt", binarySalt, std::string(100, 's')};
    const std::uint32_t counts[] = {1,
                                    2,
                                    kIterationsPerStopCheck - 1,
                                    kIterationsPerStopCheck,
                                    kIterationsPerStopCheck + 1,
                                    3 * kIterationsPerStopCheck + 7};
    const std::size_t lengths[] = {1, 20, 32, 33, 64, 100};
    for (const bool sha256 : {false, true}) {
        for (std::size_t i = 0; i < std::size(counts); ++i) {
            // Every count, key, salt and length, without the full product.
            const std::uint32_t count = counts[i];
            for (std::size_t k = 0; k < std::size(keys); ++k) {
                const std::string& key = keys[k];
                const std::string& salt = salts[(i + k) % std::size(salts)];
                const std::size_t length = lengths[(i + 2 * k) % std::size(lengths)];
                SCOPED_TRACE(std::string(sha256 ? "SHA-256" : "SHA-1") + " count " + std::to_string(count) +
                             " key " + std::to_string(key.size()) + " salt " + std::to_string(salt.size()) +
                             " length " + std::to_string(length));
                std::vector<unsigned char> ours(length), library(length);
                const Derivation result = sha256 ? pbkdf2Sha256(key, salt, count, ours.data(), length)
                                                 : pbkdf2Sha1(key, salt, count, ours.data(), length);
                ASSERT_EQ(result, Derivation::Done);
                ASSERT_EQ(PKCS5_PBKDF2_HMAC(key.data(), int(key.size()),
                                            reinterpret_cast<const unsigned char*>(salt.data()),
                                            int(salt.size()), int(count), sha256 ? EVP_sha256() : EVP_sha1(),
                                            int(length), library.data()),
                          1);
                EXPECT_EQ(hexOf(ours.data(), length), hexOf(library.data(), length));
            }
        }
    }
}

int g_stopChecks = 0;
int g_stopAfter = 0;
bool countedStop() {
    return ++g_stopChecks > g_stopAfter;
}

TEST(KeyDerivation, TheStopCheckIsPolledEveryFewThousandIterationsAndEndsTheDerivation) {
    unsigned char out[32];
    // Never stopping: a whole count of stop-check intervals is polled that
    // many times less one (none before the first interval is done), and the
    // result is the library's.
    g_stopChecks = 0;
    g_stopAfter = 1 << 30;
    ASSERT_EQ(pbkdf2Sha256("p", "s", 10 * kIterationsPerStopCheck, out, sizeof out, countedStop),
              Derivation::Done);
    EXPECT_EQ(g_stopChecks, 9);
    unsigned char plain[32];
    ASSERT_EQ(pbkdf2Sha256("p", "s", 10 * kIterationsPerStopCheck, plain, sizeof plain), Derivation::Done);
    EXPECT_EQ(hexOf(out, 32), hexOf(plain, 32));

    // Stopping at the third poll ends a count that would take minutes.
    g_stopChecks = 0;
    g_stopAfter = 2;
    EXPECT_EQ(pbkdf2Sha1("p", "s", kMaxIterations, out, sizeof out, countedStop), Derivation::Stopped);
    EXPECT_EQ(g_stopChecks, 3);

    KeyBag bag;
    bag.salt = "salt-sha1-round-xxxx";
    bag.iterations = kMaxIterations;
    bag.dpSalt = "salt-sha256-round-yy";
    bag.dpIterations = kMaxIterations;
    PasscodeKey key{};
    std::string error = "stale";
    g_stopChecks = 0;
    g_stopAfter = 0;
    EXPECT_EQ(derivePasscodeKey("secret", bag, key, error, countedStop), Derivation::Stopped);
    EXPECT_EQ(error, "");
}

TEST(KeyDerivation, NewerKeybagsChainSha256IntoSha1) {
    KeyBag bag;
    bag.salt = "salt-sha1-round-xxxx";
    bag.iterations = 3;
    PasscodeKey single{};
    std::string error;
    ASSERT_EQ(derivePasscodeKey("secret", bag, single, error), Derivation::Done);
    unsigned char expected[32];
    ASSERT_EQ(pbkdf2Sha1("secret", bag.salt, 3, expected, 32), Derivation::Done);
    EXPECT_EQ(hexOf(single.data(), 32), hexOf(expected, 32));

    bag.dpSalt = "salt-sha256-round-yy";
    bag.dpIterations = 5;
    PasscodeKey chained{};
    ASSERT_EQ(derivePasscodeKey("secret", bag, chained, error), Derivation::Done);
    unsigned char first[32];
    ASSERT_EQ(pbkdf2Sha256("secret", bag.dpSalt, 5, first, 32), Derivation::Done);
    ASSERT_EQ(pbkdf2Sha1(std::string_view(reinterpret_cast<char*>(first), 32), bag.salt, 3, expected, 32),
              Derivation::Done);
    EXPECT_EQ(hexOf(chained.data(), 32), hexOf(expected, 32));
}

TEST(KeyDerivation, IterationCountsOutOfRangeMeanADamagedKeybag) {
    struct Case {
        std::uint32_t iterations;
        std::uint32_t dpIterations; // with a DPSL
        const char* reason;
    };
    const Case cases[] = {
        {kMaxIterations + 1, 0, "ITER is 50000001, out of range (1 to 50000000)"},
        {0xFFFFFFFF, 0, "ITER is 4294967295"},
        {0, 0, "ITER is 0"},
        {10, kMaxIterations + 1, "DPIC is 50000001"},
        {10, 0, "DPIC is 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        KeyBag bag;
        bag.salt = "s";
        bag.iterations = c.iterations;
        if (c.dpIterations != 0 || std::string_view(c.reason).find("DPIC") != std::string_view::npos) {
            bag.dpSalt = "d";
            bag.dpIterations = c.dpIterations;
        }
        PasscodeKey key{};
        std::string error;
        EXPECT_EQ(derivePasscodeKey("p", bag, key, error), Derivation::KeyBagDamaged);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    unsigned char out[32];
    EXPECT_EQ(pbkdf2Sha1("p", "s", 0, out, 32), Derivation::Failed);
    EXPECT_EQ(pbkdf2Sha1("p", "s", kMaxIterations + 1, out, 32), Derivation::Failed);
}

} // namespace
} // namespace orvelle::decrypt
