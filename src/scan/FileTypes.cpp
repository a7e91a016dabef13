#include "scan/FileTypes.h"

#include "core/Text.h"

#include <algorithm>
#include <array>

namespace orvelle {

namespace {

constexpr std::array<std::string_view, 40> kImageExtensions{
    "bmp", "gif", "jpg", "jpeg", "png",  "psd", "tif", "tiff", "pcx", "scr", "ico", "nef", "nrw", "crw",
    "cr2", "sr2", "arw", "srf",  "divu", "pgm", "k25", "kdc",  "dcr", "raf", "iff", "pbm", "mef", "jp2",
    "mos", "x3f", "orf", "erf",  "indd", "pef", "psp", "mrw",  "dng", "raw", "pct", "tga"};

constexpr std::array<std::string_view, 33> kVideoExtensions{
    "rmvb", "rm",  "mpeg", "mov", "avi", "wmv", "asf", "mp4",   "flv",  "fla", "swf",
    "ape",  "m4v", "3gp",  "dv",  "3g2", "m4b", "mkv", "mts",   "divx", "ogm", "moi",
    "vob",  "ajp", "f4v",  "mqv", "svi", "vid", "tod", "hdmov", "mod",  "m2t", "lrv"};

constexpr std::array<std::string_view, 21> kAudioExtensions{
    "mp3", "wav", "aiff", "rps", "mid", "midi", "m4a", "m4p", "au",  "ogg", "wma",
    "rm",  "ra",  "acd",  "amr", "at3", "caf",  "dss", "m4r", "nra", "snd"};

template <std::size_t N> bool contains(const std::array<std::string_view, N>& list, std::string_view ext) {
    return !ext.empty() && std::find(list.begin(), list.end(), ext) != list.end();
}

} // namespace

std::string lowerExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    return asciiLower(name.substr(dot + 1));
}

bool isImageExtension(std::string_view ext) {
    return contains(kImageExtensions, ext);
}
bool isVideoExtension(std::string_view ext) {
    return contains(kVideoExtensions, ext);
}
bool isAudioExtension(std::string_view ext) {
    return contains(kAudioExtensions, ext);
}

bool isAppVideoName(std::string_view name) {
    const std::string ext = lowerExtension(name);
    return isVideoExtension(ext) || isAudioExtension(ext);
}

} // namespace orvelle
