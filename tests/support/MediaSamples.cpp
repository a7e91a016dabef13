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

std::string mediaSample(MediaSample kind, std::size_t size, std::uint32_t seed) {
    std::string out = header(kind, size);
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
