#include "backup/ManifestMbdb.h"

#include "backup/FileId.h"
#include "platform/File.h"

#include <optional>

namespace orvelle {

namespace {

/// A forward-only reader over a byte range; every read checks what is left.
class Cursor {
public:
    Cursor(std::string_view bytes, std::size_t pos) : m_bytes(bytes), m_pos(pos) {}

    std::size_t pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    std::size_t left() const { return m_bytes.size() - m_pos; }

    std::optional<std::uint16_t> u16() {
        if (left() < 2) return std::nullopt;
        const auto* p = reinterpret_cast<const unsigned char*>(m_bytes.data() + m_pos);
        m_pos += 2;
        return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    }
    std::optional<std::uint8_t> u8() {
        if (left() < 1) return std::nullopt;
        return static_cast<std::uint8_t>(m_bytes[m_pos++]);
    }
    bool skip(std::size_t count) {
        if (left() < count) return false;
        m_pos += count;
        return true;
    }
    /// A length-prefixed string; absent strings read as empty.
    std::optional<std::string_view> string() {
        const auto length = u16();
        if (!length) return std::nullopt;
        if (*length == kMbdbAbsentString) return std::string_view();
        if (left() < *length) return std::nullopt;
        const std::string_view text = m_bytes.substr(m_pos, *length);
        m_pos += *length;
        return text;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos;
};

struct Record {
    std::string_view domain;
    std::string_view relativePath;
    std::uint16_t mode = 0;
};

/// Reads one whole record; nothing when it runs past the end.
std::optional<Record> readRecord(Cursor& in) {
    Record record;
    const auto domain = in.string();
    if (!domain) return std::nullopt;
    const auto path = in.string();
    if (!path) return std::nullopt;
    for (int i = 0; i < 3; ++i) // link target, data hash, encryption key
        if (!in.string()) return std::nullopt;
    const auto mode = in.u16();
    if (!mode || !in.skip(kMbdbFixedFieldsSize - 2)) return std::nullopt;
    const auto properties = in.u8();
    if (!properties) return std::nullopt;
    for (unsigned i = 0; i < *properties; ++i)
        if (!in.string() || !in.string()) return std::nullopt;
    record.domain = *domain;
    record.relativePath = *path;
    record.mode = *mode;
    return record;
}

} // namespace

Status parseManifestMbdbBytes(std::string_view bytes, ManifestList& out, MbdbFault* fault) {
    if (bytes.size() < kMbdbMagic.size() || bytes.substr(0, kMbdbMagic.size()) != kMbdbMagic)
        return kStatusInvalid;
    if (bytes.size() <= kMbdbHeaderSize) return kStatusOk;
    // A first pass only counts, so the list is allocated once at its final size.
    std::size_t records = 0;
    for (Cursor count(bytes, kMbdbHeaderSize); !count.atEnd() && readRecord(count);)
        ++records;
    out.reserve(out.size() + records);

    FileIdHasher hasher;
    Cursor in(bytes, kMbdbHeaderSize);
    while (!in.atEnd()) {
        const std::size_t start = in.pos();
        const auto record = readRecord(in);
        if (!record) {
            if (fault) fault->recordOffset = start;
            return kStatusShortRead;
        }
        if (record->domain.empty() || record->relativePath.empty()) continue;
        if ((record->mode & kModeTypeMask) == kModeTypeDirectory) continue;
        ManifestEntry entry;
        entry.domainPath.reserve(record->domain.size() + 1 + record->relativePath.size());
        entry.domainPath.append(record->domain).append("-").append(record->relativePath);
        entry.fileId = hasher.fileIdOf(entry.domainPath);
        out.push_back(std::move(entry));
    }
    return kStatusOk;
}

Status parseManifestMbdb(const std::filesystem::path& path, ManifestList& out, MbdbFault* fault) {
    platform::InputFile file;
    std::error_code ec;
    if (!file.open(path, ec))
        return platform::isNotRegularFile(ec) ? kStatusNotRegularFile : kStatusManifestUnreadable;
    const std::uint64_t size = file.size(ec);
    if (ec) return kStatusManifestUnreadable;
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::exception&) {
        return kStatusInvalid;
    }
    const std::size_t got = file.readAt(0, bytes.data(), bytes.size(), ec);
    if (ec) return kStatusManifestUnreadable;
    bytes.resize(got);
    return parseManifestMbdbBytes(bytes, out, fault);
}

} // namespace orvelle
