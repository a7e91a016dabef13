#include "decrypt/ClassKeyRing.h"

#include "decrypt/KeyBag.h"
#include "decrypt/KeyUnwrap.h"

namespace orvelle::decrypt {

ClassKeyRing::Result ClassKeyRing::unlock(const KeyBag& bag, const PasscodeKey& passcodeKey,
                                          std::string& error) {
    m_keys.clear();
    const std::string_view kek(reinterpret_cast<const char*>(passcodeKey.data()), passcodeKey.size());
    for (const ClassKeyRecord& record : bag.classKeys) {
        if ((record.wrap & kWrapPasscode) == 0 || record.wrappedKey.empty()) continue;
        if (record.wrappedKey.size() != kWrappedKeySize) {
            error = "class key " + std::to_string(record.protectionClass) + " has " +
                    std::to_string(record.wrappedKey.size()) + " bytes, expected 40";
            return Result::Corrupt;
        }
        std::string key;
        if (unwrapKey(kek, record.wrappedKey, key) != UnwrapResult::Ok) return Result::WrongPassword;
        m_keys[record.protectionClass] = std::move(key);
    }
    if (m_keys.empty()) {
        error = "keybag holds no password-wrapped class key";
        return Result::Corrupt;
    }
    return Result::Ok;
}

const std::string* ClassKeyRing::classKey(std::uint32_t protectionClass) const {
    auto it = m_keys.find(protectionClass);
    return it == m_keys.end() ? nullptr : &it->second;
}

bool ClassKeyRing::unwrapFileKey(std::uint32_t protectionClass, std::string_view wrapped, std::string& out,
                                 std::string& error) const {
    const std::string* kek = classKey(protectionClass);
    if (!kek) {
        error = "no class key for protection class " + std::to_string(protectionClass);
        return false;
    }
    if (wrapped.size() != kWrappedKeySize) {
        error = "wrapped file key has " + std::to_string(wrapped.size()) + " bytes, expected 40";
        return false;
    }
    if (unwrapKey(*kek, wrapped, out) != UnwrapResult::Ok || out.size() != kClassKeySize) {
        error = "file key fails its integrity check";
        return false;
    }
    return true;
}

std::uint32_t readProtectionClass(std::string_view keyRecord) {
    if (keyRecord.size() < kProtectionClassPrefixSize) return 0;
    return std::uint32_t(std::uint8_t(keyRecord[0])) | (std::uint32_t(std::uint8_t(keyRecord[1])) << 8) |
           (std::uint32_t(std::uint8_t(keyRecord[2])) << 16) |
           (std::uint32_t(std::uint8_t(keyRecord[3])) << 24);
}

} // namespace orvelle::decrypt
