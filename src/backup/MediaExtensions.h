#pragma once
/// The extension lists that sort media into pictures, sounds and videos (for
/// preview copies and for splitting app files into App Photos and App Videos).

#include <string_view>

namespace orvelle {

constexpr std::string_view kPictureExtensions =
    "*.bmp|*.gif|*.jpg|*.jpeg|*.png|*.psd|*.tif|*.tiff|*.pcx|*.scr|*.ico|*.nef|*.nrw|*.crw|*.cr2|*.sr2|*.arw|"
    "*.srf|*.divu|*.pgm|*.k25|*.kdc|*.dcr|*.raf|*.iff|*.pbm|*.mef|*.jp2|*.mos|*.x3f|*.orf|*.erf|*.indd|*.pef|"
    "*.psp|*.mrw|*.dng|*.raw|*.pct|*.tga|*.heic|*.heif";

constexpr std::string_view kSoundExtensions = "*.mp3|*.wav|*.aiff|*.rps|*.mid|*.midi|*.m4a|*.m4p|*.au|*.ogg|*"
                                              ".wma|*.rm|*.ra|*.acd|*.amr|*.at3|*.caf|*.dss|"
                                              "*.m4r|*.nra|*.snd";

constexpr std::string_view kVideoExtensions =
    "*.rmvb|*.rm|*.mpeg|*.mov|*.avi|*.wmv|*.asf|*.mp4|*.flv|*.fla|*.swf|*.ape|*.m4v|*.3gp|*.dv|*.3g2|*.m4b|*."
    "mkv|"
    "*.mts|*.divx|*.ogm|*.moi|*.vob|*.ajp|*.f4v|*.mqv|*.svi|*.vid|*.tod|*.hdmov|*.mod|*.m2t|*.lrv";

/// True when `list` (entries "*.ext" separated by "|") names `extension`
/// (bare, lower-case) as one of its entries.
bool extensionInList(std::string_view list, std::string_view extension);

/// The extension of `name` (after its last "."), as written; empty when none.
std::string_view nameExtension(std::string_view name);

/// True when the extension of `name` (any case) is a video or sound extension:
/// such app files are App Videos, all others App Photos.
bool isVideoOrSoundName(std::string_view name);

} // namespace orvelle
