#include "support/MediaSamples.h"

#include <stdexcept>

namespace orvelle::test {

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}
std::string u32be(std::uint32_t v) {
    return bytes({int(v >> 24), int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255)});
}
std::string u32le(std::uint32_t v) {
    return bytes({int(v & 255), int((v >> 8) & 255), int((v >> 16) & 255), int(v >> 24)});
}
std::string u16le(std::uint16_t v) {
    return bytes({v & 255, v >> 8});
}

/// An ISO base media "ftyp" box with a major brand and compatible brands.
std::string ftyp(std::string_view major, std::initializer_list<std::string_view> compatible) {
    std::string body = std::string(major) + u32be(0);
    for (auto brand : compatible)
        body += brand;
    return u32be(static_cast<std::uint32_t>(8 + body.size())) + "ftyp" + body;
}

std::string header(MediaSample kind, std::size_t size) {
    const auto total = static_cast<std::uint32_t>(size);
    switch (kind) {
    case MediaSample::JpegJfif:
        return bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}) + std::string("JFIF\0", 5) +
               bytes({1, 1, 0, 0, 72, 0, 72, 0, 0});
    case MediaSample::JpegExif:
        return bytes({0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x40}) + std::string("Exif\0\0", 6) + "MM" +
               bytes({0, 42}) + u32be(8);
    case MediaSample::Png:
        return std::string("\x89PNG\r\n\x1A\n", 8) + u32be(13) + "IHDR" + u32be(1) + u32be(1) +
               bytes({8, 6, 0, 0, 0});
    case MediaSample::Gif:
        return "GIF89a" + u16le(1) + u16le(1) + bytes({0x80, 0, 0});
    case MediaSample::Bmp:
        return "BM" + u32le(total) + u16le(0) + u16le(0) + u32le(54) + u32le(40) + u32le(1) + u32le(1) +
               u16le(1) + u16le(24);
    case MediaSample::Bmp124Header:
        return "BM" + u32le(total) + u16le(0) + u16le(0) + u32le(138) + u32le(124) + u32le(1) + u32le(1) +
               u16le(1) + u16le(24);
    case MediaSample::Ico:
        // One directory entry whose image follows the directory and fills the file.
        return bytes({0, 0, 1, 0}) + u16le(1) + bytes({16, 16, 0, 0}) + u16le(1) + u16le(32) +
               u32le(total - 22) + u32le(22);
    case MediaSample::Heic:
        return ftyp("heic", {"mif1", "heic", "miaf", "MiHB"});
    case MediaSample::Heif:
        return ftyp("mif1", {"mif1", "heic"});
    case MediaSample::QuickTime:
        return ftyp("qt  ", {"qt  "}) + u32be(8) + "wide";
    case MediaSample::QuickTimeMoov:
        return "moov" + u32be(0x6C) + "mvhd";
    case MediaSample::Mp4:
        return ftyp("isom", {"isom", "iso2", "avc1", "mp41"});
    case MediaSample::Mp4v2:
        return ftyp("mp42", {"mp42", "isom"});
    case MediaSample::Mp4v1:
        return ftyp("mp41", {"mp41", "isom"});
    case MediaSample::M4v:
        return ftyp("M4V ", {"M4V ", "M4A ", "mp42", "isom"});
    case MediaSample::ThreeGp:
        return ftyp("3gp5", {"3gp5", "isom"});
    case MediaSample::MpegProgram:
        // Pack header (14 bytes: start code, SCR, mux rate, no stuffing), then the system header.
        return bytes({0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8, 0, 0, 1, 0xBB, 0, 12});
    case MediaSample::MpegVideo:
        return bytes(
            {0, 0, 1, 0xB3, 0x16, 0x00, 0xF0, 0x13, 0xFF, 0xFF, 0xE0, 0x18, 0, 0, 1, 0xB8, 0, 8, 0, 0x40});
    case MediaSample::Avi:
        return "RIFF" + u32le(total - 8) + "AVI LIST" + u32le(192) + "hdrlavih";
    case MediaSample::Wave:
        return "RIFF" + u32le(total - 8) + "WAVEfmt " + u32le(16) + u16le(1) + u16le(1) + u32le(8000) +
               u32le(16000) + u16le(2) + u16le(16);
    case MediaSample::Mp3:
        return "ID3" + bytes({3, 0, 0, 0, 0, 0x0F, 0x76});
    case MediaSample::Midi:
        return "MThd" + u32be(6) + bytes({0, 1, 0, 2, 1, 0xE0}) + "MTrk" + u32be(4);
    case MediaSample::Wmv:
        return bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62,
                      0xCE, 0x6C}) +
               u32le(total) + u32le(0) + u32le(6) + bytes({1, 2});
    case MediaSample::RealMedia:
        return ".RMF" + u32be(18) + u16le(0) + u32be(0) + u32be(5);
    case MediaSample::JpegQuantisationFirst:
        return bytes({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00});
    case MediaSample::Text:
        return "Plain text, no signature at all.\n";
    }
    throw std::logic_error("unknown media sample");
}

} // namespace

namespace {

/// The photo of photoSample, in hexadecimal (drawn once by a browser's canvas;
/// its JFIF and colour-profile segments replaced by a minimal Exif one).
constexpr std::string_view kPhotoHex =
    "ffd8ffe100164578696600004d4d002a00000008000000000000ffdb0043000e0a0b0d0b090e0d0c0d100f0e111624171614"
    "14162c20211a24342e3736332e32323a4153463a3d4e3e32324862494e56585d5e5d3845666d655a6c535b5d59ffdb004301"
    "0f10101613162a17172a593b323b595959595959595959595959595959595959595959595959595959595959595959595959"
    "5959595959595959595959595959ffc00011080048006003012200021101031101ffc4001a00010100030101000000000000"
    "0000000000030204050106ffc400291000020201020600060300000000000000000102120304110521314161711322325152"
    "812343c1ffc4001a010100020301000000000000000000000000020301040506ffc400201100030100020202030000000000"
    "00000000010211032104310512142251ffda000c03010002110311003f0095454bd454ec69ccc215152f5151a3085454bd45"
    "468c215152f529a7d2e4d464a635cfbb7d111ab509d53c4654b6f11a95153bb1e0b1afcd99efe2269eaf87e4d37cdbde1f92"
    "ff004d5e2f90f1f96be935d975f8dc90becd1cea8a97a8a9b9a5185aa2a5ea2a57a4b085454bd45468c215152f5151a30854"
    "edf0dc4b1e962d759f3672ea74f87e54f17c37f547a7a397f2ca9f07ebfdecdcf0f172766e18ce0b2425092de325b332279b"
    "22c58dcdfe97dd9e66153a4a7d9d6a6926dfa3e7e58eb271fb3d8c6a5dc5b7bbeac54f749f5d9e79a2d515299250c51b6492"
    "8af268e5e258e3cb145cfcbe48a2b9663db326d5454e5cf886793e4e31f48c56bb50bfb37fd229fcb831a8eb5454e7e3e279"
    "17d708c978e46f69f57873eca2eb3fc596473c5f4999d46553d49c5a69b4d7745aa78e3b2ddf245adefb3264b55992db74fd"
    "a259253c8f79c9b64e7abd3e3eb962df8e645f12d3aed37e91ad33c1c6f6524c9572552c6cbd4548c78869e5d5ca3ed1b38f"
    "263cabf8e7197a65f3c935e99038397364cd3b6493932601c66f7b640000000000dec5c4f3e3c547b4df694baa35b2e7cb99"
    "ef926e5e3b12049dd358d8d0002201ea6e2d38b69aee8f0000000000000000000000000000007fffd9";

std::string fromHex(std::string_view hex) {
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

/// `out` followed by deterministic filler up to `size` bytes.
std::string filled(std::string out, MediaSample kind, std::size_t size, std::uint32_t seed) {
    if (out.size() > size) throw std::invalid_argument("media sample smaller than its header");
    // Filler from a small linear congruential generator: deterministic, and
    // never forms another signature at offset 0.
    std::uint32_t state = 0x9E3779B9u ^ (seed * 2654435761u) ^ static_cast<std::uint32_t>(kind);
    while (out.size() < size) {
        state = state * 1664525u + 1013904223u;
        out.push_back(kind == MediaSample::Text ? static_cast<char>('a' + (state >> 24) % 26)
                                                : static_cast<char>(state >> 24));
    }
    return out;
}

} // namespace

std::string mediaSample(MediaSample kind, std::size_t size, std::uint32_t seed) {
    return filled(header(kind, size), kind, size, seed);
}

std::string photoSample(std::size_t size, std::uint32_t seed) {
    return filled(fromHex(kPhotoHex), MediaSample::JpegExif, size, seed);
}

std::string_view expectedExtension(MediaSample kind) {
    switch (kind) {
    case MediaSample::JpegJfif:
    case MediaSample::JpegExif:
        return "jpg";
    case MediaSample::Png:
        return "png";
    case MediaSample::Gif:
        return "gif";
    case MediaSample::Bmp:
        return "bmp";
    case MediaSample::Ico:
        return "ico";
    case MediaSample::Heic:
        return "heic";
    case MediaSample::Heif:
        return "heif";
    case MediaSample::QuickTime:
    case MediaSample::QuickTimeMoov:
        return "mov";
    case MediaSample::Mp4:
    case MediaSample::Mp4v2:
    case MediaSample::Mp4v1:
        return "mp4";
    case MediaSample::M4v:
        return "m4v";
    case MediaSample::ThreeGp:
        return "3gp";
    case MediaSample::MpegProgram:
    case MediaSample::MpegVideo:
        return "mpeg";
    case MediaSample::Avi:
        return "avi";
    case MediaSample::Wave:
        return "wav";
    case MediaSample::Mp3:
        return "mp3";
    case MediaSample::Midi:
        return "mid";
    case MediaSample::Wmv:
        return "wmv";
    case MediaSample::RealMedia:
        return "rmvb";
    case MediaSample::JpegQuantisationFirst:
    case MediaSample::Bmp124Header:
    case MediaSample::Text:
        return "";
    }
    return "";
}

std::string_view sampleName(MediaSample kind) {
    static constexpr std::string_view kNames[] = {
        "JpegJfif",     "JpegExif", "Png",       "Gif",           "Bmp",       "Ico",
        "Heic",         "Heif",     "QuickTime", "QuickTimeMoov", "Mp4",       "Mp4v2",
        "Mp4v1",        "M4v",      "ThreeGp",   "MpegProgram",   "MpegVideo", "Avi",
        "Wave",         "Mp3",      "Midi",      "Wmv",           "RealMedia", "JpegQuantisationFirst",
        "Bmp124Header", "Text"};
    return kNames[static_cast<int>(kind)];
}

const std::vector<MediaSample>& allMediaSamples() {
    static const std::vector<MediaSample> kinds = [] {
        std::vector<MediaSample> all;
        for (int i = 0; i <= static_cast<int>(MediaSample::Text); ++i)
            all.push_back(static_cast<MediaSample>(i));
        return all;
    }();
    return kinds;
}

} // namespace orvelle::test
