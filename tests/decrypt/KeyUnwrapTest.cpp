#include "decrypt/KeyUnwrap.h"

#include <gtest/gtest.h>
#include <openssl/crypto.h>

namespace orvelle::decrypt {
namespace {

std::string fromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

struct WrapVector {
    const char* name;
    const char* kek;
    const char* keyData;
    const char* wrapped;
};

// RFC 3394, section 4.
const WrapVector kVectors[] = {
    {"4.1 128-bit data, 128-bit KEK", "000102030405060708090A0B0C0D0E0F", "00112233445566778899AABBCCDDEEFF",
     "1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5"},
    {"4.3 128-bit data, 256-bit KEK", "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
     "00112233445566778899AABBCCDDEEFF", "64E8C3F9CE0F5BA263E9777905818A2A93C8191E7D6E8AE7"},
    {"4.6 256-bit data, 256-bit KEK", "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
     "00112233445566778899AABBCCDDEEFF000102030405060708090A0B0C0D0E0F",
     "28C9F404C4B810F4CBCCB35CFB87F8263F5786E2D80ED326CBC7F0E71A99F43BFB988B9B7A02DD21"},
};

TEST(KeyUnwrap, Rfc3394Vectors) {
    for (const WrapVector& v : kVectors) {
        SCOPED_TRACE(v.name);
        std::string out;
        ASSERT_EQ(unwrapKey(fromHex(v.kek), fromHex(v.wrapped), out), UnwrapResult::Ok);
        EXPECT_EQ(out, fromHex(v.keyData));
        EXPECT_EQ(wrapKey(fromHex(v.kek), fromHex(v.keyData)), fromHex(v.wrapped));
    }
}

TEST(KeyUnwrap, WrongKeyFailsTheIntegrityCheck) {
    const WrapVector& v = kVectors[2];
    std::string kek = fromHex(v.kek);
    kek[0] ^= 1;
    std::string out = "stale";
    EXPECT_EQ(unwrapKey(kek, fromHex(v.wrapped), out), UnwrapResult::IntegrityFailed);
    EXPECT_TRUE(out.empty());

    std::string wrapped = fromHex(v.wrapped);
    wrapped[39] ^= 0x80;
    EXPECT_EQ(unwrapKey(fromHex(v.kek), wrapped, out), UnwrapResult::IntegrityFailed);
}

TEST(KeyUnwrap, UnusableSizesAreRejected) {
    const std::string kek32(32, 'k');
    const std::string wrapped40(40, 'w');
    std::string out;
    EXPECT_EQ(unwrapKey(std::string(20, 'k'), wrapped40, out), UnwrapResult::BadSize);
    EXPECT_EQ(unwrapKey(kek32, std::string(39, 'w'), out), UnwrapResult::BadSize);
    EXPECT_EQ(unwrapKey(kek32, std::string(16, 'w'), out), UnwrapResult::BadSize);
    EXPECT_EQ(unwrapKey(kek32, "", out), UnwrapResult::BadSize);
    EXPECT_EQ(wrapKey(kek32, std::string(12, 'x')), "");
}

} // namespace
} // namespace orvelle::decrypt
