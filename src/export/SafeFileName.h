#pragma once
/// Names taken from a backup (file names, app names, chat names) become file
/// and folder names of the export. Each is made safe as a single name on
/// every file system, so that nothing is ever written outside the export's
/// destination, and files are created only under names not yet taken.

#include "core/Status.h"
#include "platform/OutputFile.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle {

/// Longest name, in bytes, that the export gives a file or folder.
constexpr std::size_t kMaxExportNameBytes = 200;

/// `name` as one safe file name: path separators, control characters (C0,
/// DEL, C1) and the characters < > : " / \ | ? * become "_"; bidirectional
/// controls (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) are
/// dropped; trailing dots and spaces are dropped; a reserved device name (CON,
/// PRN, AUX, NUL, CONIN$, CONOUT$, CLOCK$, COM0-9, LPT0-9, COM¹²³, LPT¹²³, any
/// case, with or without extension, with spaces before the first dot) gets a
/// leading "_"; text that is not UTF-8 has its non-ASCII bytes replaced;
/// over-long names are cut (keeping the extension) at a character boundary.
/// An empty result, "." and ".." become "_".
std::string safeFileName(std::string_view name);

/// `path` with "(n)" put before its extension: "N.JPG" -> "N(1).JPG".
std::filesystem::path numberedPath(const std::filesystem::path& path, int n);

/// Creates the empty file `wanted`, or when that name is taken the first free
/// one of numberedPath(wanted, 1), (2), ...; `created` receives the path and
/// `file` is left open on it for writing. An existing file is never touched.
/// The status is the system's error code when nothing could be created (a
/// missing folder, no permission).
Status createUniqueFile(const std::filesystem::path& wanted, std::filesystem::path& created,
                        platform::OutputFile& file);

/// The same, closing the new empty file at once.
Status createUniqueFile(const std::filesystem::path& wanted, std::filesystem::path& created);

} // namespace orvelle
