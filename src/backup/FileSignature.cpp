#include "backup/FileSignature.h"

#include "core/Text.h"
#include "platform/File.h"

#include <array>
#include <cstring>

namespace orvelle {

namespace {

using Bytes = std::span<const unsigned char>;
using Detector = FileType (*)(Bytes);

bool at(Bytes b, std::size_t offset, std::string_view tag) {
    return offset + tag.size() <= b.size() && std::memcmp(b.data() + offset, tag.data(), tag.size()) == 0;
}
std::uint16_t u16le(Bytes b, std::size_t offset) {
    return static_cast<std::uint16_t>(b[offset] | (b[offset + 1] << 8));
}
std::uint32_t u32le(Bytes b, std::size_t offset) {
    return static_cast<std::uint32_t>(b[offset]) | (static_cast<std::uint32_t>(b[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(b[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(b[offset + 3]) << 24);
}
/// True when `tag` starts at some offset within the first min(length, 32) bytes.
bool within32(Bytes b, std::string_view tag) {
    const std::size_t limit = b.size() < 32 ? b.size() : 32;
    for (std::size_t i = 0; i + tag.size() <= limit; ++i)
        if (at(b, i, tag)) return true;
    return false;
}
/// The ISO base media brand at offset 8 of a file whose box at 0 is "ftyp".
bool ftypBrand(Bytes b, std::string_view brand) {
    return b.size() >= 32 && at(b, 4, "ftyp") && at(b, 8, brand);
}

const std::string_view kPack{"\x00\x00\x01\xBA", 4}, kSystemHeader{"\x00\x00\x01\xBB", 4};
const std::string_view kSequence{"\x00\x00\x01\xB3", 4}, kGop{"\x00\x00\x01\xB8", 4};
const std::string_view kAsfHeader{"\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
const std::string_view kPngMagic{"\x89PNG\r\n\x1A\n", 8};
const std::string_view kIcoMagic{"\x00\x00\x01\x00", 4};

FileType mpeg(Bytes b) {
    if (b.size() <= 15) return FileType::Unknown;
    if ((at(b, 0, kPack) && within32(b, kSystemHeader)) || (at(b, 0, kSequence) && within32(b, kGop)))
        return FileType::Mpeg;
    return FileType::Unknown;
}
FileType mp4(Bytes b) {
    return b.size() >= 32 && at(b, 4, "ftyp") && (at(b, 8, "iso") || at(b, 8, "mp42") || at(b, 8, "mp41"))
               ? FileType::Mp4
               : FileType::Unknown;
}
FileType m4v(Bytes b) {
    return ftypBrand(b, "M4V ") ? FileType::M4v : FileType::Unknown;
}
FileType heic(Bytes b) {
    for (std::string_view brand : {"heic", "heix", "hevc", "heim", "heis"})
        if (ftypBrand(b, brand)) return FileType::Heic;
    return FileType::Unknown;
}
FileType heif(Bytes b) {
    return ftypBrand(b, "mif1") || ftypBrand(b, "msf1") ? FileType::Heif : FileType::Unknown;
}
FileType realMedia(Bytes b) {
    return b.size() > 3 && at(b, 0, ".RMF") ? FileType::RealMedia : FileType::Unknown;
}
FileType asf(Bytes b) {
    return b.size() > 23 && at(b, 0, kAsfHeader) ? FileType::Asf : FileType::Unknown;
}
FileType avi(Bytes b) {
    return b.size() > 15 && at(b, 0, "RIFF") && at(b, 8, "AVI ") && at(b, 12, "LIST") ? FileType::Avi
                                                                                      : FileType::Unknown;
}
FileType threeGp(Bytes b) {
    return b.size() >= 32 && at(b, 4, "ftyp") && at(b, 8, "3gp") ? FileType::ThreeGp : FileType::Unknown;
}
FileType mp3(Bytes b) {
    // ID3v2: version bytes never FF, no undefined flags, a four-byte synchsafe size.
    if (b.size() < 10 || !at(b, 0, "ID3") || b[3] == 0xFF || b[4] == 0xFF || (b[5] & 0x1F) != 0)
        return FileType::Unknown;
    for (std::size_t i = 6; i < 10; ++i)
        if (b[i] >= 0x80) return FileType::Unknown;
    return FileType::Mp3;
}
FileType midi(Bytes b) {
    return b.size() > 17 && at(b, 0, "MThd") && at(b, 4, std::string_view("\x00\x00\x00\x06", 4)) &&
                   at(b, 14, "MTrk")
               ? FileType::Midi
               : FileType::Unknown;
}
FileType wave(Bytes b) {
    return b.size() > 15 && at(b, 0, "RIFF") && at(b, 8, "WAVE") && at(b, 12, "fmt ") ? FileType::Wave
                                                                                      : FileType::Unknown;
}
FileType quickTime(Bytes b) {
    if (b.size() <= 15) return FileType::Unknown;
    return at(b, 0, "moov") || (at(b, 4, "ftyp") && at(b, 8, "qt  ")) ? FileType::QuickTime
                                                                      : FileType::Unknown;
}
FileType gif(Bytes b) {
    if (b.size() <= 7 || !at(b, 0, "GIF")) return FileType::Unknown;
    const bool digits = b[3] >= '0' && b[3] <= '9' && b[4] >= '0' && b[4] <= '9';
    return digits && b[5] >= 'a' && b[5] <= 'z' ? FileType::Gif : FileType::Unknown;
}
FileType bmp(Bytes b) {
    if (b.size() < 40 || !(at(b, 0, "BM") || at(b, 0, "BA"))) return FileType::Unknown;
    return u16le(b, 6) == 0 && u16le(b, 8) == 0 && u32le(b, 14) == 40 ? FileType::Bmp : FileType::Unknown;
}
FileType jpeg(Bytes b) {
    if (b.size() <= 15) return FileType::Unknown;
    if (at(b, 0, "\xFF\xD8\xFF\xE0") && at(b, 6, "JFIF")) return FileType::Jpeg;
    if (at(b, 0, "\xFF\xD8\xFF\xE1") && at(b, 6, "Exif")) return FileType::Jpeg;
    return FileType::Unknown;
}
FileType png(Bytes b) {
    return b.size() > 7 && at(b, 0, kPngMagic) ? FileType::Png : FileType::Unknown;
}
FileType ico(Bytes b) {
    if (b.size() <= 15 || !at(b, 0, kIcoMagic)) return FileType::Unknown;
    const std::uint64_t count = u16le(b, 4);
    if (count == 0 || b.size() < 16 * count + 6) return FileType::Unknown;
    std::uint64_t expected = 16 * count + 6;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::size_t entry = static_cast<std::size_t>(6 + 16 * i);
        if (b[entry + 3] != 0 || u32le(b, entry + 12) != expected) return FileType::Unknown;
        expected += u32le(b, entry + 8);
    }
    return FileType::Ico;
}

struct SignatureRow {
    std::string_view extension;
    FileType type;
    Detector detector;
};

/// Rows are tried in order; the first row of a type names its extension.
constexpr std::array<SignatureRow, 24> kSignatureTable{{
    {"mpeg", FileType::Mpeg, mpeg}, {"mpg", FileType::Mpeg, mpeg},
    {"vob", FileType::Mpeg, mpeg},  {"mp4", FileType::Mp4, mp4},
    {"m4v", FileType::M4v, m4v},    {"heic", FileType::Heic, heic},
    {"heif", FileType::Heif, heif}, {"rmvb", FileType::RealMedia, realMedia},
    {"wmv", FileType::Asf, asf},    {"wma", FileType::Asf, asf},
    {"avi", FileType::Avi, avi},    {"3gp", FileType::ThreeGp, threeGp},
    {"mp3", FileType::Mp3, mp3},    {"mid", FileType::Midi, midi},
    {"wav", FileType::Wave, wave},  {"mov", FileType::QuickTime, quickTime},
    {"gif", FileType::Gif, gif},    {"bmp", FileType::Bmp, bmp},
    {"jpg", FileType::Jpeg, jpeg},  {"jpeg", FileType::Jpeg, jpeg},
    {"jpe", FileType::Jpeg, jpeg},  {"png", FileType::Png, png},
    {"ico", FileType::Ico, ico},    {"", FileType::Unknown, nullptr},
}};

void nameFile(FileType type, std::int64_t& counter, std::string& name) {
    name.clear();
    if (type == FileType::Unknown) return;
    name = std::to_string(counter) + "." + std::string(extensionOf(type));
    ++counter;
}

} // namespace

FileType detectSignature(std::span<const unsigned char> head) {
    for (const auto& row : kSignatureTable) {
        if (!row.detector) break;
        const FileType type = row.detector(head);
        if (type != FileType::Unknown) return type;
    }
    return FileType::Unknown;
}

std::string_view extensionOf(FileType type) {
    for (const auto& row : kSignatureTable)
        if (row.type == type && row.detector) return row.extension;
    return {};
}

namespace {

/// Types that share one container, whose extensions are used for each other:
/// a phone's ".HEIC" is often of the "mif1" brand (detected as HEIF), and the
/// ISO media brands of ".mov", ".mp4", ".m4v" and ".3gp" overlap.
enum class Container { heif, isoMedia, other };

Container containerOf(FileType type) {
    switch (type) {
    case FileType::Heic:
    case FileType::Heif:
        return Container::heif;
    case FileType::QuickTime:
    case FileType::Mp4:
    case FileType::M4v:
    case FileType::ThreeGp:
        return Container::isoMedia;
    default:
        return Container::other;
    }
}

/// Usual extensions of a container that name no row of the signature table.
struct ExtraExtension {
    Container container;
    std::string_view extension;
};
constexpr std::array<ExtraExtension, 3> kExtraExtensions{{
    {Container::heif, "hif"},
    {Container::isoMedia, "qt"},
    {Container::isoMedia, "3g2"},
}};

} // namespace

bool isExtensionOf(FileType type, std::string_view extension) {
    if (type == FileType::Unknown || extension.empty()) return false;
    const Container container = containerOf(type);
    for (const auto& row : kSignatureTable) {
        const bool sameKind = row.type == type || (container != Container::other && row.detector &&
                                                   containerOf(row.type) == container);
        if (sameKind && equalsIgnoreCase(row.extension, extension)) return true;
    }
    for (const auto& extra : kExtraExtensions)
        if (extra.container == container && equalsIgnoreCase(extra.extension, extension)) return true;
    return false;
}

Status detectFileType(const std::filesystem::path& path, std::int64_t& counter, std::string& name) {
    name.clear();
    platform::InputFile file;
    std::error_code ec;
    if (!file.open(path, ec)) {
        if (ec == std::errc::no_such_file_or_directory) return kStatusFileMissing;
        return ec.value() != 0 ? ec.value() : kStatusInvalid;
    }
    std::array<unsigned char, kSignatureBytes> head{};
    const std::size_t got = file.readAt(0, head.data(), head.size(), ec);
    if (got < head.size()) return kStatusShortRead;
    nameFile(detectSignature(head), counter, name);
    return kStatusOk;
}

Status detectBufferType(std::span<const unsigned char> buffer, std::int64_t& counter, std::string& name) {
    name.clear();
    if (buffer.size() < kBufferSignatureBytes) return kStatusShortRead;
    nameFile(detectSignature(buffer.first(kBufferSignatureBytes)), counter, name);
    return kStatusOk;
}

std::string_view detectedExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

} // namespace orvelle
