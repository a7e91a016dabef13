#include "support/MbdbWriter.h"

#include <stdexcept>

namespace orvelle::test {

namespace {
void putU8(std::string& out, std::uint8_t v) {
    out.push_back(static_cast<char>(v));
}
void putU16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v & 255));
}
void putU32(std::string& out, std::uint32_t v) {
    putU16(out, static_cast<std::uint16_t>(v >> 16));
    putU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
}
void putU64(std::string& out, std::uint64_t v) {
    putU32(out, static_cast<std::uint32_t>(v >> 32));
    putU32(out, static_cast<std::uint32_t>(v & 0xFFFFFFFFu));
}
void putString(std::string& out, const std::optional<std::string>& s) {
    if (!s) {
        putU16(out, 0xFFFF);
        return;
    }
    if (s->size() >= 0xFFFF) throw std::invalid_argument("mbdb string too long");
    putU16(out, static_cast<std::uint16_t>(s->size()));
    out.append(*s);
}
} // namespace

std::string mbdbHeader() {
    return std::string("mbdb\x05\x00", 6);
}

void appendMbdbRecord(std::string& out, const MbdbRecord& r) {
    putString(out, r.domain);
    putString(out, r.relativePath);
    putString(out, r.linkTarget);
    putString(out, r.dataHash);
    putString(out, r.encryptionKey);
    putU16(out, r.mode);
    putU64(out, r.inode);
    putU32(out, r.userId);
    putU32(out, r.groupId);
    putU32(out, r.modified);
    putU32(out, r.accessed);
    putU32(out, r.changed);
    putU64(out, r.size);
    putU8(out, r.protectionClass);
    if (r.properties.size() > 255) throw std::invalid_argument("too many mbdb properties");
    putU8(out, static_cast<std::uint8_t>(r.properties.size()));
    for (const auto& [name, value] : r.properties) {
        putString(out, name);
        putString(out, value);
    }
}

std::string buildMbdb(const std::vector<MbdbRecord>& records) {
    std::string out = mbdbHeader();
    for (const auto& r : records)
        appendMbdbRecord(out, r);
    return out;
}

} // namespace orvelle::test
