#pragma once
/// Minimal files of every content signature the backup store recognises (and
/// a few it must not), as byte strings of a chosen size (>= 512 by default),
/// padded with deterministic filler so that different seeds give different files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle::test {

enum class MediaSample {
    JpegJfif,
    JpegExif,
    Png,
    Gif,
    Bmp,
    Ico,
    Heic,
    Heif,
    QuickTime, ///< ftyp "qt  " (iPhone videos)
    QuickTimeMoov,
    Mp4,   ///< ftyp "isom"
    Mp4v2, ///< ftyp "mp42"
    Mp4v1, ///< ftyp "mp41"
    M4v,   ///< ftyp "M4V "
    ThreeGp,
    MpegProgram, ///< pack header, system header at offset 14
    MpegVideo,   ///< sequence header, GOP header within 32 bytes
    Avi,
    Wave,
    Mp3,
    Midi,
    Wmv, ///< ASF header object
    RealMedia,
    // Not recognised:
    JpegQuantisationFirst, ///< FF D8 FF DB
    Bmp124Header,          ///< BITMAPV5HEADER
    Text,
};

/// The sample's bytes: its header, then filler up to `size` bytes.
std::string mediaSample(MediaSample kind, std::size_t size = 1024, std::uint32_t seed = 0);

/// A photo browsers can show (a 96 x 72 landscape, Exif JPEG, so that it is
/// detected as a JPEG), then filler up to `size` bytes: pictures of the demo
/// that documents embed and screenshots show.
std::string photoSample(std::size_t size = 1024, std::uint32_t seed = 0);

/// The extension detection gives the sample ("jpg", "heic", ...); empty when
/// the sample must not be recognised.
std::string_view expectedExtension(MediaSample kind);

/// A readable name for test output.
std::string_view sampleName(MediaSample kind);

/// Every sample kind, recognised ones first.
const std::vector<MediaSample>& allMediaSamples();

} // namespace orvelle::test
