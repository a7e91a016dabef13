#include "backup/PlistBounds.h"

#include <limits>
#include <vector>

namespace orvelle {

namespace {

constexpr std::string_view kBinaryMagic = "bplist00";
constexpr std::size_t kTrailerSize = 32;
constexpr std::size_t kTrailerOffsetSize = 6;
constexpr std::size_t kTrailerReferenceSize = 7;
constexpr std::size_t kTrailerObjectCount = 8;
constexpr std::size_t kTrailerTopObject = 16;
constexpr std::size_t kTrailerTableOffset = 24;
constexpr std::size_t kLargestIntegerSize = 8;

enum Marker : unsigned {
    kMarkerInteger = 0x1,
    kMarkerData = 0x4,
    kMarkerAsciiString = 0x5,
    kMarkerUtf16String = 0x6,
    kMarkerUtf8String = 0x7,
    kMarkerArray = 0xA,
    kMarkerSet = 0xC,
    kMarkerDictionary = 0xD,
};
/// The low nibble of a marker that says "the count follows as an integer object".
constexpr unsigned kCountFollows = 0xF;

/// The big-endian number of `size` (1 to 8) bytes at `at`.
std::uint64_t bigEndian(std::string_view bytes, std::uint64_t at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(at) + i]);
    return value;
}

/// The walk over a binary list: one frame per open container, never recursion.
class BinaryWalk {
public:
    BinaryWalk(std::string_view bytes, std::size_t maxDepth) : m_bytes(bytes), m_maxDepth(maxDepth) {}

    PlistBoundsFault run() {
        if (m_bytes.size() < kBinaryMagic.size() + kTrailerSize) return PlistBoundsFault::truncated;
        m_objectsEnd = m_bytes.size() - kTrailerSize;
        const std::uint64_t trailer = m_objectsEnd;
        m_offsetSize = static_cast<unsigned char>(m_bytes[trailer + kTrailerOffsetSize]);
        m_referenceSize = static_cast<unsigned char>(m_bytes[trailer + kTrailerReferenceSize]);
        m_objectCount = bigEndian(m_bytes, trailer + kTrailerObjectCount, 8);
        const std::uint64_t top = bigEndian(m_bytes, trailer + kTrailerTopObject, 8);
        m_tableOffset = bigEndian(m_bytes, trailer + kTrailerTableOffset, 8);
        if (m_offsetSize == 0 || m_offsetSize > kLargestIntegerSize || m_referenceSize == 0 ||
            m_referenceSize > kLargestIntegerSize || m_objectCount == 0 || top >= m_objectCount ||
            m_tableOffset < kBinaryMagic.size() || m_tableOffset >= m_objectsEnd ||
            m_objectCount > (m_objectsEnd - m_tableOffset) / m_offsetSize)
            return PlistBoundsFault::badTrailer;
        m_onPath.assign(static_cast<std::size_t>(m_objectCount), false);

        if (const auto fault = visit(top); fault != PlistBoundsFault::none) return fault;
        while (!m_open.empty()) {
            Frame& frame = m_open.back();
            if (frame.membersLeft == 0) {
                m_onPath[static_cast<std::size_t>(frame.object)] = false;
                m_open.pop_back();
                continue;
            }
            const std::uint64_t member = bigEndian(m_bytes, frame.nextReference, m_referenceSize);
            frame.nextReference += m_referenceSize;
            --frame.membersLeft;
            if (member >= m_objectCount) return PlistBoundsFault::referenceOutOfRange;
            if (const auto fault = visit(member); fault != PlistBoundsFault::none) return fault;
        }
        return PlistBoundsFault::none;
    }

private:
    struct Frame {
        std::uint64_t object = 0;        ///< index of the container
        std::uint64_t nextReference = 0; ///< offset of its next member reference
        std::uint64_t membersLeft = 0;   ///< references still to follow
    };

    /// The count of the object whose marker is at `at`, and where its payload
    /// starts. False when the count runs past the objects.
    bool readCount(std::uint64_t at, std::uint64_t& count, std::uint64_t& payload) const {
        const unsigned nibble = static_cast<unsigned char>(m_bytes[static_cast<std::size_t>(at)]) & 0xF;
        if (nibble != kCountFollows) {
            count = nibble;
            payload = at + 1;
            return true;
        }
        if (at + 2 > m_objectsEnd) return false;
        const unsigned marker = static_cast<unsigned char>(m_bytes[static_cast<std::size_t>(at + 1)]);
        if ((marker >> 4) != kMarkerInteger || (marker & 0xF) > 3) return false;
        const std::size_t size = std::size_t(1) << (marker & 0xF);
        if (at + 2 + size > m_objectsEnd) return false;
        count = bigEndian(m_bytes, at + 2, size);
        payload = at + 2 + size;
        return true;
    }

    PlistBoundsFault visit(std::uint64_t object) {
        if (++m_nodes > kMaxPlistNodes) return PlistBoundsFault::tooLarge;
        const std::uint64_t at = bigEndian(m_bytes, m_tableOffset + object * m_offsetSize, m_offsetSize);
        if (at < kBinaryMagic.size() || at >= m_tableOffset) return PlistBoundsFault::offsetOutOfRange;
        const unsigned kind = static_cast<unsigned char>(m_bytes[static_cast<std::size_t>(at)]) >> 4;
        std::uint64_t count = 0;
        std::uint64_t payload = 0;
        switch (kind) {
        case kMarkerData:
        case kMarkerAsciiString:
        case kMarkerUtf8String:
        case kMarkerUtf16String: {
            // A length past the file is libplist's to refuse; it costs at most the file.
            if (!readCount(at, count, payload)) return PlistBoundsFault::none;
            const std::uint64_t unit = kind == kMarkerUtf16String ? 2 : 1;
            const std::uint64_t length = count > m_objectsEnd / unit ? m_objectsEnd : count * unit;
            m_expandedBytes += length;
            return m_expandedBytes > kMaxPlistExpandedBytes ? PlistBoundsFault::tooLarge
                                                            : PlistBoundsFault::none;
        }
        case kMarkerArray:
        case kMarkerSet:
        case kMarkerDictionary: {
            if (m_onPath[static_cast<std::size_t>(object)]) return PlistBoundsFault::cycle;
            if (m_open.size() >= m_maxDepth) return PlistBoundsFault::tooDeep;
            if (!readCount(at, count, payload)) return PlistBoundsFault::badContainer;
            const std::uint64_t perMember = kind == kMarkerDictionary ? 2 : 1;
            if (count > (m_objectsEnd - payload) / (perMember * m_referenceSize))
                return PlistBoundsFault::badContainer;
            m_onPath[static_cast<std::size_t>(object)] = true;
            m_open.push_back({object, payload, count * perMember});
            return PlistBoundsFault::none;
        }
        default:
            return PlistBoundsFault::none;
        }
    }

    std::string_view m_bytes;
    std::size_t m_maxDepth;
    std::uint64_t m_objectsEnd = 0; ///< where the trailer starts
    std::uint64_t m_tableOffset = 0;
    std::uint64_t m_objectCount = 0;
    std::size_t m_offsetSize = 0;
    std::size_t m_referenceSize = 0;
    std::uint64_t m_nodes = 0;
    std::uint64_t m_expandedBytes = 0;
    std::vector<bool> m_onPath; ///< by object index: a container open on the current path
    std::vector<Frame> m_open;
};

/// Nesting of XML elements. Markup that holds no elements (comments, CDATA,
/// processing instructions, the document type) is skipped whole; an end tag
/// closes one level and an empty-element tag opens none.
PlistBoundsFault checkXml(std::string_view text, std::size_t maxDepth) {
    const std::size_t limit = maxDepth + 2; // <plist> and the innermost value
    std::size_t depth = 0;
    std::size_t at = 0;
    const auto skipPast = [&](std::string_view end, std::size_t from) {
        const std::size_t found = text.find(end, from);
        at = found == std::string_view::npos ? text.size() : found + end.size();
    };
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("<!--")) {
            skipPast("-->", at + 4);
        } else if (rest.starts_with("<![CDATA[")) {
            skipPast("]]>", at + 9);
        } else if (rest.starts_with("<?")) {
            skipPast("?>", at + 2);
        } else if (rest.starts_with("<!")) {
            // A document type, possibly with an internal subset in brackets.
            const std::size_t close = text.find_first_of("[>", at);
            if (close != std::string_view::npos && text[close] == '[') skipPast("]", close);
            skipPast(">", at);
        } else if (rest.starts_with("</")) {
            if (depth > 0) --depth;
            skipPast(">", at);
        } else {
            const std::size_t close = text.find('>', at);
            if (close == std::string_view::npos) break;
            if (text[close - 1] != '/' && ++depth > limit) return PlistBoundsFault::tooDeep;
            at = close + 1;
        }
    }
    return PlistBoundsFault::none;
}

/// Nesting of brackets in the text forms newer libplist versions also read
/// (JSON and OpenStep), outside quoted strings.
PlistBoundsFault checkBrackets(std::string_view text, std::size_t maxDepth) {
    std::size_t depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == '\\')
                ++i;
            else if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[' || c == '{' || c == '(') {
            if (++depth > maxDepth) return PlistBoundsFault::tooDeep;
        } else if ((c == ']' || c == '}' || c == ')') && depth > 0) {
            --depth;
        }
    }
    return PlistBoundsFault::none;
}

} // namespace

std::string_view plistBoundsText(PlistBoundsFault fault) {
    switch (fault) {
    case PlistBoundsFault::none:
        return "ok";
    case PlistBoundsFault::truncated:
        return "the property list is cut short";
    case PlistBoundsFault::badTrailer:
        return "the property list's trailer is damaged";
    case PlistBoundsFault::offsetOutOfRange:
        return "an object of the property list lies outside the file";
    case PlistBoundsFault::referenceOutOfRange:
        return "the property list refers to an object it does not hold";
    case PlistBoundsFault::badContainer:
        return "an array or dictionary of the property list runs past its end";
    case PlistBoundsFault::cycle:
        return "the property list contains itself (a reference cycle)";
    case PlistBoundsFault::tooDeep:
        return "the property list is nested too deeply";
    case PlistBoundsFault::tooLarge:
        return "the property list expands to too many objects";
    }
    return "the property list is damaged";
}

PlistBoundsFault checkPlistBounds(std::string_view bytes, std::size_t maxDepth) {
    if (bytes.starts_with(kBinaryMagic)) return BinaryWalk(bytes, maxDepth).run();
    const std::size_t first = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (first != std::string_view::npos && bytes[first] != '<') return checkBrackets(bytes, maxDepth);
    return checkXml(bytes, maxDepth);
}

PlistBoundsFault parseBoundedPlist(std::string_view bytes, plist_t& root) {
    root = nullptr;
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max())
        return PlistBoundsFault::none;
    if (const auto fault = checkPlistBounds(bytes); fault != PlistBoundsFault::none) return fault;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    return PlistBoundsFault::none;
}

} // namespace orvelle
