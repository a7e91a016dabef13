#include "export/SafeFileName.h"

#include "core/Text.h"

#include <array>

namespace orvelle {

namespace {

constexpr std::string_view kForbidden = "<>:\"/\\|?*";
constexpr std::array<std::string_view, 4> kReservedNames{"con", "prn", "aux", "nul"};
constexpr int kMaxNumberedAttempts = 100000;

bool isReservedDeviceName(std::string_view name) {
    const std::string base = asciiLower(name.substr(0, name.find('.')));
    for (std::string_view reserved : kReservedNames)
        if (base == reserved) return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) && base[3] >= '1' &&
           base[3] <= '9';
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
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || kForbidden.find(c) != std::string_view::npos || (!utf8 && u >= 0x80))
            out += '_';
        else
            out += c;
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
