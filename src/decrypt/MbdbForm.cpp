#include "decrypt/MbdbForm.h"

#include "backup/FileId.h"
#include "decrypt/ClassKeyRing.h"

#include <openssl/evp.h>
#include <optional>

namespace orvelle::decrypt {

namespace {

// A bounded cursor over the manifest bytes.
class Reader {
public:
    explicit Reader(std::string_view bytes, std::size_t offset) : m_bytes(bytes), m_offset(offset) {}
    bool atEnd() const { return m_offset >= m_bytes.size(); }
    std::size_t offset() const { return m_offset; }

    std::optional<std::uint64_t> integer(std::size_t width) {
        if (m_bytes.size() - m_offset < width) return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = (value << 8) | std::uint8_t(m_bytes[m_offset + i]);
        m_offset += width;
        return value;
    }
    std::optional<std::string_view> string() {
        auto length = integer(2);
        if (!length) return std::nullopt;
        if (*length == kMbdbAbsentString) return std::string_view();
        if (m_bytes.size() - m_offset < *length) return std::nullopt;
        std::string_view value = m_bytes.substr(m_offset, static_cast<std::size_t>(*length));
        m_offset += static_cast<std::size_t>(*length);
        return value;
    }

private:
    std::string_view m_bytes;
    std::size_t m_offset;
};

struct MbdbRecord {
    std::string_view domain, path, encryptionKey;
    std::uint16_t mode = 0;
    std::uint64_t size = 0;
    std::uint8_t protectionClass = 0;
};

bool readRecord(Reader& in, MbdbRecord& record) {
    std::optional<std::string_view> strings[5];
    for (auto& s : strings)
        if (!(s = in.string())) return false;
    record.domain = *strings[0];
    record.path = *strings[1];
    record.encryptionKey = *strings[4];
    auto mode = in.integer(2);
    if (!mode || !in.integer(8)) return false;
    for (int i = 0; i < 5; ++i)
        if (!in.integer(4)) return false;
    auto size = in.integer(8);
    auto protection = in.integer(1);
    auto properties = in.integer(1);
    if (!size || !protection || !properties) return false;
    for (std::uint64_t i = 0; i < *properties; ++i)
        if (!in.string() || !in.string()) return false;
    record.mode = static_cast<std::uint16_t>(*mode);
    record.size = *size;
    record.protectionClass = static_cast<std::uint8_t>(*protection);
    return true;
}

} // namespace

bool parseMbdbFiles(std::string_view bytes, const std::filesystem::path& backupFolder,
                    std::vector<BackupFileEntry>& out, std::string& error) {
    if (bytes.size() < kMbdbHeaderSize || bytes.substr(0, 4) != kMbdbMagic) {
        error = "Manifest.mbdb does not start with \"mbdb\"";
        return false;
    }
    Reader in(bytes, kMbdbHeaderSize);
    while (!in.atEnd()) {
        const std::size_t start = in.offset();
        MbdbRecord record;
        if (!readRecord(in, record)) {
            error = "Manifest.mbdb record at offset " + std::to_string(start) + " runs past the end";
            return false;
        }
        if (record.domain.empty() || record.path.empty() || (record.mode & kModeTypeMask) != kModeRegularFile)
            continue;
        BackupFileEntry entry;
        entry.fileId = fileIdOf(std::string(record.domain) + "-" + std::string(record.path));
        entry.storedPath = backupFolder / entry.fileId;
        entry.size = record.size;
        entry.protectionClass = record.protectionClass;
        if (!record.encryptionKey.empty()) {
            if (record.encryptionKey.size() <= kProtectionClassPrefixSize)
                entry.problem =
                    "file key record has " + std::to_string(record.encryptionKey.size()) + " bytes";
            else
                entry.wrappedKey = std::string(record.encryptionKey.substr(kProtectionClassPrefixSize));
        }
        out.push_back(std::move(entry));
    }
    return true;
}

} // namespace orvelle::decrypt
