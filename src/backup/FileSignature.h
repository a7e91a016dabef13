#pragma once
/// Recognises media files by the first bytes of their content and names them
/// "<counter>.<extension>". Offsets are from the start of the file; every test
/// is exact and case-sensitive.
///
/// | type        | bytes relied on                                                        |
/// |-------------|------------------------------------------------------------------------|
/// | MPEG        | 0: 00 00 01 BA with 00 00 01 BB in the first 32 bytes, or              |
/// |             | 0: 00 00 01 B3 with 00 00 01 B8 in the first 32 bytes                   |
/// | MP4         | 4: "ftyp", 8: "iso" / "mp42" / "mp41"                                  |
/// | M4V         | 4: "ftyp", 8: "M4V "                                                   |
/// | HEIC        | 4: "ftyp", 8: "heic" / "heix" / "hevc" / "heim" / "heis"               |
/// | HEIF        | 4: "ftyp", 8: "mif1" / "msf1"                                          |
/// | RealMedia   | 0: ".RMF"                                                              |
/// | ASF         | 0: 30 26 B2 75 8E 66 CF 11 A6 D9 00 AA 00 62 CE 6C                     |
/// | AVI         | 0: "RIFF", 8: "AVI ", 12: "LIST"                                       |
/// | 3GP         | 4: "ftyp", 8: "3gp"                                                    |
/// | MP3 (ID3v2) | 0: "ID3", 3,4: not FF, 5: flags & 1F = 0, 6-9: each < 80               |
/// | MIDI        | 0: "MThd", 4: 00 00 00 06, 14: "MTrk"                                  |
/// | WAVE        | 0: "RIFF", 8: "WAVE", 12: "fmt "                                       |
/// | QuickTime   | 0: "moov", or 4: "ftyp" with 8: "qt  "                                 |
/// | GIF         | 0: "GIF", 3,4: digits, 5: a-z                                          |
/// | BMP         | 0: "BM"/"BA", 6 and 8: u16le 0, 14: u32le 40                           |
/// | JPEG        | 0: FF D8 FF E0 with 6: "JFIF", or FF D8 FF E1 with 6: "Exif"           |
/// | PNG         | 0: 89 50 4E 47 0D 0A 1A 0A                                             |
/// | ICO         | 0: 00 00 01 00, 4: u16le count n > 0, then n 16-byte entries whose     |
/// |             | reserved byte (3) is 0 and whose image offsets (12) follow each other  |

#include "core/Status.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace orvelle {

/// Type codes of recognised files.
enum class FileType : int {
    Jpeg = 10,
    Mp3 = 12,
    Midi = 13,
    Mpeg = 15,
    ThreeGp = 16,
    QuickTime = 17,
    Mp4 = 18,
    M4v = 19,
    Wave = 21,
    Avi = 22,
    RealMedia = 23,
    Asf = 24,
    Bmp = 29,
    Png = 30,
    Gif = 31,
    Heic = 40,
    Heif = 41,
    Ico = 46,
    Unknown = 48,
};

/// Bytes a file must have for detection; shorter files are not recognised.
constexpr std::size_t kSignatureBytes = 512;
/// Length the detectors are called with over a memory buffer.
constexpr std::size_t kBufferSignatureBytes = 128;

/// The type of the first bytes of a file, or FileType::Unknown.
FileType detectSignature(std::span<const unsigned char> head);

/// The extension of a type ("jpg", "mpeg", "wmv", ...); empty for Unknown.
std::string_view extensionOf(FileType type);

/// True when `extension` (without the dot, any case) is one of the type's own
/// extensions: "JPG", "jpeg" and "jpe" for a JPEG, "mpg" and "vob" for MPEG;
/// the types of one container share theirs ("HEIC" for HEIF, "mov", "mp4",
/// "m4v" and "3gp" for each other). False for Unknown and for an empty extension.
bool isExtensionOf(FileType type, std::string_view extension);

/// Detection over a file: reads its first 512 bytes. kStatusOk with `name` set
/// to "<counter>.<extension>" (and the counter raised) when recognised, or with
/// `name` empty when not; kStatusShortRead when the file holds fewer than 512
/// bytes; kStatusFileMissing when it does not exist; else the system's error code.
Status detectFileType(const std::filesystem::path& path, std::int64_t& counter, std::string& name);

/// Detection over a memory buffer of at least 128 bytes (the detectors see 128).
Status detectBufferType(std::span<const unsigned char> buffer, std::int64_t& counter, std::string& name);

/// The extension of a name made by detection (after its last "."), or empty.
std::string_view detectedExtension(std::string_view name);

} // namespace orvelle
