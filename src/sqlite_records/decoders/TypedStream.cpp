#include "sqlite_records/decoders/TypedStream.h"

#include "core/Text.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvelle {

namespace {

/// Superclass chains deeper than this are not real archives.
constexpr int kMaxClassDepth = 32;

/// Length of the longest start of `bytes` that is well-formed UTF-8.
std::size_t validUtf8PrefixLength(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        std::size_t width = lead < 0x80           ? 1
                            : (lead >> 5) == 0x6  ? 2
                            : (lead >> 4) == 0xE  ? 3
                            : (lead >> 3) == 0x1E ? 4
                                                  : 0;
        if (width == 0 || pos + width > bytes.size()) break;
        if (!isValidUtf8(bytes.substr(pos, width))) break;
        pos += width;
    }
    return pos;
}

// Names and type strings are views into the archive, which outlives the reader.
class TypedStreamReader {
public:
    explicit TypedStreamReader(std::string_view data) : m_data(data) {
        // Room for the tables of a usual archive.
        m_strings.reserve(8);
        m_objects.reserve(8);
        m_names.reserve(16);
    }

    std::optional<ArchivedText> attributedStringText() {
        if (!readHeader()) return std::nullopt;
        Range chain;
        if (!expectType("@") || !readNewObject(chain) || !holds(chain, "NSAttributedString"))
            return std::nullopt;
        if (!expectType("@") || !readNewObject(chain) || !holds(chain, "NSString")) return std::nullopt;
        if (!expectType("+")) return std::nullopt;
        return readTextBytes();
    }

private:
    /// A run of class names in m_names: [begin, end).
    struct Range {
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    bool holds(Range chain, std::string_view name) const {
        for (std::size_t i = chain.begin; i < chain.end; ++i)
            if (m_names[i] == name) return true;
        return false;
    }

    bool readHead(std::int8_t& head) {
        if (m_pos >= m_data.size()) return false;
        head = static_cast<std::int8_t>(m_data[m_pos++]);
        return true;
    }

    bool readLittleEndian(std::size_t width, std::int64_t& value) {
        if (m_data.size() - m_pos < width) return false;
        std::uint32_t raw = 0;
        for (std::size_t i = 0; i < width; ++i)
            raw |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_data[m_pos + i])) << (8 * i);
        m_pos += width;
        value = width == 2 ? static_cast<std::int16_t>(raw) : static_cast<std::int32_t>(raw);
        return true;
    }

    /// An integer whose head byte has been read.
    bool readInteger(std::int8_t head, std::int64_t& value) {
        if (head == kTypedStreamInt16) return readLittleEndian(2, value);
        if (head == kTypedStreamInt32) return readLittleEndian(4, value);
        if (head < kTypedStreamFirstReference) return false; // another tag
        value = head;
        return true;
    }

    bool readReference(std::int8_t head, std::size_t tableSize, std::size_t& index) {
        std::int64_t value = 0;
        if (!readInteger(head, value)) return false;
        const std::int64_t i = value - kTypedStreamFirstReference;
        if (i < 0 || static_cast<std::uint64_t>(i) >= tableSize) return false;
        index = static_cast<std::size_t>(i);
        return true;
    }

    /// Length + bytes, the length's head byte already read.
    bool readCountedBytes(std::int8_t head, std::string_view& out) {
        std::int64_t length = 0;
        if (!readInteger(head, length) || length < 0) return false;
        if (static_cast<std::uint64_t>(length) > m_data.size() - m_pos) return false;
        out = m_data.substr(m_pos, static_cast<std::size_t>(length));
        m_pos += static_cast<std::size_t>(length);
        return true;
    }

    bool readSharedString(std::string_view& out) {
        std::int8_t head = 0;
        if (!readHead(head)) return false;
        if (head == kTypedStreamNew) {
            if (!readHead(head) || !readCountedBytes(head, out)) return false;
            m_strings.push_back(out);
            return true;
        }
        std::size_t index = 0;
        if (!readReference(head, m_strings.size(), index)) return false;
        out = m_strings[index];
        return true;
    }

    bool readHeader() {
        if (m_data.size() < 2 + kTypedStreamSignature.size()) return false;
        const auto version = static_cast<unsigned char>(m_data[0]);
        if (version != kTypedStreamVersion && version != kTypedStreamVersion - 1) return false;
        if (static_cast<unsigned char>(m_data[1]) != kTypedStreamSignature.size()) return false;
        if (m_data.substr(2, kTypedStreamSignature.size()) != kTypedStreamSignature) return false;
        m_pos = 2 + kTypedStreamSignature.size();
        std::int8_t head = 0;
        std::int64_t systemVersion = 0;
        return readHead(head) && readInteger(head, systemVersion);
    }

    bool expectType(std::string_view type) {
        std::string_view actual;
        return readSharedString(actual) && actual == type;
    }

    /// A class (new, a reference, or nil ending a chain): the names of it and
    /// its superclasses are appended to m_names as `chain`.
    bool readClass(Range& chain, int depth) {
        if (depth > kMaxClassDepth) return false;
        chain.begin = chain.end = m_names.size();
        std::int8_t head = 0;
        if (!readHead(head)) return false;
        if (head == kTypedStreamNil) return depth > 0; // an object must have a class
        if (head == kTypedStreamNew) {
            std::string_view name;
            std::int64_t version = 0;
            if (!readSharedString(name)) return false;
            if (!readHead(head) || !readInteger(head, version)) return false;
            // Until its superclasses are read, a reference to it names it alone.
            m_objects.push_back(Entry{true, name, {}});
            const std::size_t self = m_objects.size() - 1;
            m_names.push_back(name);
            Range supers;
            if (!readClass(supers, depth + 1)) return false;
            m_objects[self].supers = supers;
            chain.end = m_names.size();
            return true;
        }
        std::size_t index = 0;
        if (!readReference(head, m_objects.size(), index) || !m_objects[index].isClass) return false;
        const Entry& entry = m_objects[index];
        m_names.push_back(entry.name);
        for (std::size_t i = entry.supers.begin; i < entry.supers.end; ++i) {
            const std::string_view super = m_names[i];
            m_names.push_back(super);
        }
        chain.end = m_names.size();
        return true;
    }

    /// A new object's tag and class chain (its contents follow in the stream).
    bool readNewObject(Range& chain) {
        std::int8_t head = 0;
        if (!readHead(head) || head != kTypedStreamNew) return false;
        m_objects.push_back(Entry{false, {}, {}});
        return readClass(chain, 0);
    }

    std::optional<ArchivedText> readTextBytes() {
        std::int8_t head = 0;
        std::int64_t length = 0;
        if (!readHead(head) || !readInteger(head, length) || length < 0) return std::nullopt;
        const std::string_view rest = m_data.substr(m_pos);
        ArchivedText result;
        if (static_cast<std::uint64_t>(length) <= rest.size()) {
            result.text.assign(rest.substr(0, static_cast<std::size_t>(length)));
            return result;
        }
        // The archive stops inside the text: keep what stands there up to the
        // first byte that cannot continue UTF-8 text (the end-of-object tag 0x86
        // never starts a character).
        result.text.assign(rest.substr(0, validUtf8PrefixLength(rest)));
        result.truncated = true;
        return result;
    }

    struct Entry {
        bool isClass = false;
        std::string_view name; ///< class name (classes only)
        Range supers;          ///< superclass chain in m_names (classes only)
    };

    std::string_view m_data;
    std::size_t m_pos = 0;
    std::vector<std::string_view> m_strings;
    std::vector<Entry> m_objects;
    /// Every chain of class names read, one after another.
    std::vector<std::string_view> m_names;
};

} // namespace

std::optional<ArchivedText> readAttributedStringText(std::string_view archive) {
    return TypedStreamReader(archive).attributedStringText();
}

} // namespace orvelle
