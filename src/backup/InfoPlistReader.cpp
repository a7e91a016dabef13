#include "backup/InfoPlistReader.h"

#include "backup/BackupDate.h"
#include "backup/PlistBounds.h"
#include "platform/File.h"
#include "platform/LocalTime.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <plist/plist.h>
#include <string>

namespace orvelle {

namespace {

constexpr std::string_view kBinaryMagic = "bplist00";

/// Hands out the file in the pieces a C line reader with a 2048-byte buffer
/// returns: up to and including a line feed, or 2047 bytes, whichever comes first.
class LinePieces {
public:
    explicit LinePieces(const platform::InputFile& file) : m_file(file) {}

    /// The next piece, or nothing at the end of the file or on a read error.
    std::optional<std::string> next() {
        std::string piece;
        while (piece.size() < kInfoPlistLineBuffer - 1) {
            if (m_pos == m_end && !refill()) break;
            const char c = m_buffer[m_pos++];
            piece.push_back(c);
            if (c == '\n') break;
        }
        if (piece.empty()) return std::nullopt;
        return piece;
    }

private:
    bool refill() {
        std::error_code ec;
        m_end = m_file.readAt(m_offset, m_buffer, sizeof m_buffer, ec);
        m_pos = 0;
        m_offset += m_end;
        return m_end > 0;
    }

    const platform::InputFile& m_file;
    char m_buffer[64 * 1024];
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::uint64_t m_offset = 0;
};

/// Replaces the XML character references a property list writer produces.
std::string decodeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out.push_back(text[i++]);
            continue;
        }
        const auto semi = text.find(';', i);
        if (semi == std::string_view::npos || semi - i > 10) {
            out.push_back(text[i++]);
            continue;
        }
        const std::string_view name = text.substr(i + 1, semi - i - 1);
        std::optional<std::uint32_t> cp;
        if (name == "amp")
            cp = '&';
        else if (name == "lt")
            cp = '<';
        else if (name == "gt")
            cp = '>';
        else if (name == "quot")
            cp = '"';
        else if (name == "apos")
            cp = '\'';
        else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            char* end = nullptr;
            const unsigned long v = digits.empty() ? 0 : std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (!digits.empty() && end && *end == '\0' && v > 0 && v <= 0x10FFFF &&
                !(v >= 0xD800 && v <= 0xDFFF))
                cp = static_cast<std::uint32_t>(v);
        }
        if (!cp) {
            out.push_back(text[i++]);
            continue;
        }
        const std::uint32_t c = *cp;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        i = semi + 1;
    }
    return out;
}

/// The text between `open` and `close` of a value line: the line is cut at
/// the first `close`, and the value is what follows the first `open` (empty
/// when the line has no `open`).
std::string elementText(std::string_view line, std::string_view open, std::string_view close) {
    if (const auto end = line.find(close); end != std::string_view::npos) line = line.substr(0, end);
    const auto start = line.find(open);
    if (start == std::string_view::npos) return {};
    return std::string(line.substr(start + open.size()));
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

void readTextPlist(const platform::InputFile& file, BackupInfo& info) {
    LinePieces pieces(file);
    auto valueLine = [&pieces]() { return pieces.next().value_or(std::string()); };
    while (auto line = pieces.next()) {
        if (contains(*line, "<key>Display Name</key>")) {
            info.displayName = decodeXmlText(elementText(valueLine(), "<string>", "</string>"));
        } else if (contains(*line, "<key>Last Backup Date</key>")) {
            info.lastBackupDate = backupDateText(elementText(valueLine(), "<date>", "</date>"));
        } else if (contains(*line, "<key>Phone Number</key>")) {
            info.phoneNumber = decodeXmlText(elementText(valueLine(), "<string>", "</string>"));
        } else if (contains(*line, "<key>Product Version</key>")) {
            info.majorVersionAbove11 =
                isMajorVersionAbove11(elementText(valueLine(), "<string>", "</string>"));
        } else if (contains(*line, "<key>Serial Number</key>")) {
            info.serialNumber = decodeXmlText(elementText(valueLine(), "<string>", "</string>"));
            return;
        }
    }
}

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

std::string stringValue(plist_t dict, const char* key) {
    plist_t node = plist_dict_get_item(dict, key);
    if (!node || plist_get_node_type(node) != PLIST_STRING) return {};
    char* value = nullptr;
    plist_get_string_val(node, &value);
    std::string out = value ? value : "";
    std::free(value);
    return out;
}

std::string dateValue(plist_t dict, const char* key) {
    plist_t node = plist_dict_get_item(dict, key);
    if (!node) return {};
    if (plist_get_node_type(node) == PLIST_STRING) return backupDateText(stringValue(dict, key));
    if (plist_get_node_type(node) != PLIST_DATE) return {};
    int32_t seconds = 0, micros = 0;
    plist_get_date_val(node, &seconds, &micros);
    // A property-list date counts seconds from 2001-01-01 00:00:00 UTC.
    platform::CalendarTime t;
    if (!platform::breakDownUtc(std::int64_t{seconds} + 978307200, t)) return {};
    char stored[64];
    std::snprintf(stored, sizeof stored, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return backupDateText(stored);
}

void readBinaryPlist(const platform::InputFile& file, std::uint64_t size, BackupInfo& info) {
    if (size > kMaxBinaryInfoPlist) return;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::error_code ec;
    if (file.readAt(0, bytes.data(), bytes.size(), ec) != bytes.size()) return;
    plist_t root = nullptr;
    const PlistBoundsFault fault = parseBoundedPlist(bytes, root);
    PlistPtr holder(root);
    if (fault != PlistBoundsFault::none) {
        info.problem = std::string(kInfoPlistName) + ": " + std::string(plistBoundsText(fault));
        return;
    }
    if (!root || plist_get_node_type(root) != PLIST_DICT) return;
    info.displayName = stringValue(root, "Display Name");
    info.lastBackupDate = dateValue(root, "Last Backup Date");
    info.phoneNumber = stringValue(root, "Phone Number");
    info.majorVersionAbove11 = isMajorVersionAbove11(stringValue(root, "Product Version"));
    info.serialNumber = stringValue(root, "Serial Number");
}

} // namespace

bool isMajorVersionAbove11(std::string_view productVersion) {
    long value = 0;
    for (char c : productVersion) {
        if (c < '0' || c > '9') break;
        if (value < 1000000) value = value * 10 + (c - '0');
    }
    return value > 11;
}

bool readInfoPlist(const std::filesystem::path& plistPath, BackupInfo& info) {
    platform::InputFile file;
    std::error_code ec;
    if (!file.open(plistPath, ec)) return false;
    BackupInfo read;
    read.encrypted = info.encrypted;
    read.folder = info.folder;
    char magic[8] = {};
    const std::uint64_t size = file.size(ec);
    if (!ec && file.readAt(0, magic, sizeof magic, ec) == sizeof magic &&
        std::string_view(magic, sizeof magic) == kBinaryMagic)
        readBinaryPlist(file, size, read);
    else
        readTextPlist(file, read);
    info = std::move(read);
    return true;
}

} // namespace orvelle
