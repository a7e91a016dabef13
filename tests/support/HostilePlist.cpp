#include "support/HostilePlist.h"

namespace orvelle::test {

namespace {

/// Bytes needed to write `value` big-endian (at least one).
std::size_t widthOf(std::uint64_t value) {
    std::size_t width = 1;
    while (width < 8 && (value >> (8 * width)) != 0)
        ++width;
    return width;
}

void appendBigEndian(std::string& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0;)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

/// A marker with its count: in the low nibble, or 0xF and an integer object.
void appendMarker(std::string& out, unsigned kind, std::uint64_t count) {
    if (count < 15) {
        out.push_back(static_cast<char>((kind << 4) | count));
        return;
    }
    out.push_back(static_cast<char>((kind << 4) | 0xF));
    out.push_back(static_cast<char>(0x13)); // an 8-byte integer
    appendBigEndian(out, count, 8);
}

} // namespace

std::string binaryPlist(const std::vector<PlistObject>& objects, std::uint64_t top) {
    const std::size_t referenceSize = widthOf(objects.empty() ? 0 : objects.size() - 1);
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const PlistObject& object : objects) {
        offsets.push_back(out.size());
        switch (object.kind) {
        case PlistObject::Kind::string:
            appendMarker(out, 0x5, object.text.size());
            out += object.text;
            break;
        case PlistObject::Kind::array:
            appendMarker(out, 0xA, object.members.size());
            break;
        case PlistObject::Kind::dictionary:
            appendMarker(out, 0xD, object.members.size() / 2);
            break;
        }
        for (const std::uint64_t member : object.members)
            appendBigEndian(out, member, referenceSize);
    }
    const std::uint64_t tableOffset = out.size();
    const std::size_t offsetSize = widthOf(tableOffset);
    for (const std::uint64_t offset : offsets)
        appendBigEndian(out, offset, offsetSize);
    out.append(6, '\0');
    out.push_back(static_cast<char>(offsetSize));
    out.push_back(static_cast<char>(referenceSize));
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, top, 8);
    appendBigEndian(out, tableOffset, 8);
    return out;
}

std::string nestedBinaryPlist(std::size_t depth) {
    std::vector<PlistObject> objects(depth + 1);
    for (std::size_t i = 0; i < depth; ++i)
        objects[i] = {PlistObject::Kind::array, {i + 1}, {}};
    objects[depth] = {PlistObject::Kind::string, {}, "deep"};
    return binaryPlist(objects);
}

std::string nestedXmlPlist(std::size_t depth) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    out.reserve(out.size() + depth * 15 + 64);
    for (std::size_t i = 0; i < depth; ++i)
        out += "<array>";
    out += "<string>deep</string>";
    for (std::size_t i = 0; i < depth; ++i)
        out += "</array>";
    out += "\n</plist>\n";
    return out;
}

} // namespace orvelle::test
