#pragma once
/// How a decoder opens a database: with the write-ahead log its context names
/// for it (or the one beside it), a log problem passed on as a warning.

#include "core/Status.h"

#include <filesystem>

namespace orvelle {

class SqliteFile;
struct DecodeContext;

/// Opens `path` into `file` with the log `context.logFor` gives (the one
/// beside the database when not set); tells `context.logWarning` what was
/// wrong with a log that could not be used whole. Returns what SqliteFile::open does.
Status openDatabase(SqliteFile& file, const std::filesystem::path& path, const DecodeContext& context);

} // namespace orvelle
