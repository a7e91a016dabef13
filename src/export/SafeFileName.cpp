#include "export/SafeFileName.h"

#include "core/Text.h"

#include <algorithm>
#include <array>

namespace orvelle {

namespace {

constexpr std::string_view kForbidden = "<>:\"/\\|?*";
/// Names Windows takes for devices, whatever follows their first "." (lower
/// case; COM and LPT also with the superscript digits ¹ ² ³).
constexpr std::array<std::string_view, 33> kReservedNames{
    "con",         "prn",         "aux",         "nul",         "conin$",     "conout$", "clock$",
    "com0",        "com1",        "com2",        "com3",        "com4",       "com5",    "com6",
    "com7",        "com8",        "com9",        "lpt0",        "lpt1",       "lpt2",    "lpt3",
    "lpt4",        "lpt5",        "lpt6",        "lpt7",        "lpt8",       "lpt9",    "com\xC2\xB9",
    "com\xC2\xB2", "com\xC2\xB3", "lpt\xC2\xB9", "lpt\xC2\xB2", "lpt\xC2\xB3"};
constexpr int kMaxNumberedAttempts = 100000;

/// A reserved device name is the part before the first ".", with the spaces
/// Windows drops at its end: "CON", "nul.txt", "CON .jpg", "com\xC2\xB9.jpg".
bool isReservedDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    const std::string lower = asciiLower(base);
    for (std::string_view reserved : kReservedNames)
        if (lower == reserved) return true;
    return false;
}

/// What a character of a name turns into.
enum class CharacterRule { keep, replace, drop };

/// The rule for the UTF-8 character of `length` bytes at the start of `c`.
/// Controls (C0, DEL, C1) are replaced; the bidirectional marks, embeddings,
/// overrides and isolates are dropped, since they only reorder how a name is
/// shown ("photo<U+202E>gpj.exe" reads "photoexe.jpg").
CharacterRule ruleOf(std::string_view c) {
    const auto byte = [&c](std::size_t i) { return static_cast<unsigned char>(c[i]); };
    if (c.size() == 1)
        return byte(0) < 0x20 || byte(0) == 0x7F || kForbidden.find(c[0]) != std::string_view::npos
                   ? CharacterRule::replace
                   : CharacterRule::keep;
    if (c.size() == 2 && byte(0) == 0xC2 && byte(1) <= 0x9F) return CharacterRule::replace; // U+0080-U+009F
    if (c.size() == 2 && byte(0) == 0xD8 && byte(1) == 0x9C) return CharacterRule::drop;    // U+061C
    if (c.size() == 3 && byte(0) == 0xE2 && byte(1) == 0x80 &&
        (byte(2) == 0x8E || byte(2) == 0x8F || (byte(2) >= 0xAA && byte(2) <= 0xAE)))
        return CharacterRule::drop; // U+200E, U+200F, U+202A-U+202E
    if (c.size() == 3 && byte(0) == 0xE2 && byte(1) == 0x81 && byte(2) >= 0xA6 && byte(2) <= 0xA9)
        return CharacterRule::drop; // U+2066-U+2069
    return CharacterRule::keep;
}

/// Bytes of the UTF-8 character that starts with `lead` (valid text assumed).
std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

/// Length of the longest prefix of `text` of at most `limit` bytes that ends on a character boundary.
std::size_t utf8Prefix(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

std::string cutToLimit(std::string name) {
    if (name.size() <= kMaxExportNameBytes) return name;
    const std::size_t dot = name.rfind('.');
    const std::size_t extLength =
        (dot != std::string::npos && name.size() - dot <= 16) ? name.size() - dot : 0;
    const std::string ext = name.substr(name.size() - extLength);
    const std::string_view stem = std::string_view(name).substr(0, name.size() - extLength);
    return std::string(stem.substr(0, utf8Prefix(stem, kMaxExportNameBytes - extLength))) + ext;
}

} // namespace

std::string safeFileName(std::string_view name) {
    const bool utf8 = isValidUtf8(name);
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        if (!utf8 && lead >= 0x80) {
            out += '_';
            ++i;
            continue;
        }
        const std::size_t length = std::min(utf8Length(lead), name.size() - i);
        const std::string_view c = name.substr(i, length);
        switch (ruleOf(c)) {
        case CharacterRule::keep:
            out += c;
            break;
        case CharacterRule::replace:
            out += '_';
            break;
        case CharacterRule::drop:
            break;
        }
        i += length;
    }
    out = cutToLimit(std::move(out));
    while (!out.empty() && (out.back() == '.' || out.back() == ' '))
        out.pop_back();
    if (out.empty()) return "_"; // also what "." and ".." come to
    if (isReservedDeviceName(out)) out.insert(0, "_");
    return out;
}

std::filesystem::path numberedPath(const std::filesystem::path& path, int n) {
    std::filesystem::path numbered = path.parent_path();
    numbered /= path.stem();
    numbered += "(" + std::to_string(n) + ")";
    numbered += path.extension();
    return numbered;
}

Status createUniqueFile(const std::filesystem::path& wanted, std::filesystem::path& created,
                        platform::OutputFile& file) {
    std::error_code ec;
    std::filesystem::path candidate = wanted;
    for (int n = 1; n <= kMaxNumberedAttempts; ++n) {
        if (file.createNew(candidate, ec)) {
            created = candidate;
            return kStatusOk;
        }
        if (ec != std::errc::file_exists) break;
        candidate = numberedPath(wanted, n);
    }
    created = wanted;
    return ec ? static_cast<Status>(ec.value()) : kStatusInvalid;
}

Status createUniqueFile(const std::filesystem::path& wanted, std::filesystem::path& created) {
    platform::OutputFile file;
    return createUniqueFile(wanted, created, file);
}

} // namespace orvelle
