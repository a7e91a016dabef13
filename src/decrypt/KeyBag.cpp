#include "decrypt/KeyBag.h"

namespace orvelle::decrypt {

namespace {

std::uint32_t readBigEndian32(std::string_view bytes) {
    return (std::uint32_t(std::uint8_t(bytes[0])) << 24) | (std::uint32_t(std::uint8_t(bytes[1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[2])) << 8) | std::uint32_t(std::uint8_t(bytes[3]));
}

bool readInt(std::string_view tag, std::string_view value, std::uint32_t& out, std::string& error) {
    if (value.size() != 4) {
        error = "keybag value " + std::string(tag) + " has " + std::to_string(value.size()) +
                " bytes, expected 4";
        return false;
    }
    out = readBigEndian32(value);
    return true;
}

} // namespace

bool parseKeyBag(std::string_view bytes, KeyBag& out, std::string& error) {
    out = KeyBag{};
    bool headerDone = false;
    std::size_t offset = 0;
    std::size_t records = 0;
    while (offset < bytes.size()) {
        if (++records > kMaxKeyBagRecords) {
            error = "keybag holds too many records";
            return false;
        }
        if (bytes.size() - offset < kTlvHeaderSize) {
            error = "keybag record header truncated at offset " + std::to_string(offset);
            return false;
        }
        const std::string_view tag = bytes.substr(offset, 4);
        const std::uint32_t length = readBigEndian32(bytes.substr(offset + 4, 4));
        offset += kTlvHeaderSize;
        if (length > bytes.size() - offset) {
            error = "keybag record " + std::string(tag) + " runs past the end of the keybag";
            return false;
        }
        const std::string_view value = bytes.substr(offset, length);
        offset += length;

        if (tag == "UUID") {
            if (value.size() != kUuidSize) {
                error = "keybag UUID has " + std::to_string(value.size()) + " bytes, expected 16";
                return false;
            }
            if (out.uuid.empty() && !headerDone) {
                out.uuid = std::string(value);
                headerDone = true;
            } else {
                ClassKeyRecord key;
                key.uuid = std::string(value);
                out.classKeys.push_back(std::move(key));
            }
            continue;
        }
        if (!out.classKeys.empty()) {
            ClassKeyRecord& key = out.classKeys.back();
            if (tag == "CLAS") {
                if (!readInt(tag, value, key.protectionClass, error)) return false;
            } else if (tag == "WRAP") {
                if (!readInt(tag, value, key.wrap, error)) return false;
            } else if (tag == "KTYP") {
                if (!readInt(tag, value, key.keyType, error)) return false;
            } else if (tag == "WPKY") {
                key.wrappedKey = std::string(value);
            }
            continue;
        }
        if (tag == "VERS") {
            if (!readInt(tag, value, out.version, error)) return false;
        } else if (tag == "TYPE") {
            if (!readInt(tag, value, out.type, error)) return false;
        } else if (tag == "SALT") {
            out.salt = std::string(value);
        } else if (tag == "ITER") {
            if (!readInt(tag, value, out.iterations, error)) return false;
        } else if (tag == "DPSL") {
            out.dpSalt = std::string(value);
        } else if (tag == "DPIC") {
            if (!readInt(tag, value, out.dpIterations, error)) return false;
        }
    }
    if (out.uuid.empty()) {
        error = "keybag has no UUID";
        return false;
    }
    if (out.salt.empty() || out.iterations == 0) {
        error = "keybag has no SALT or ITER";
        return false;
    }
    if (out.hasDoubleProtection() && out.dpIterations == 0) {
        error = "keybag has DPSL but no DPIC";
        return false;
    }
    if (out.classKeys.empty()) {
        error = "keybag holds no class keys";
        return false;
    }
    return true;
}

} // namespace orvelle::decrypt
