#pragma once
/// Databases with a write-ahead log beside them, built with the SQLite library
/// in log mode with automatic checkpoints off, so commits stay in the log and
/// the database file keeps its older pages. The file and its log are copied
/// while the database is open (closing it would checkpoint the log into the
/// file and delete it). Edits of a copied log (a frame left uncommitted, a
/// damaged frame, other salts, a cut) recompute the checksums that SQLite's
/// own reader would check, so each edit tests one thing.
///
/// Failures throw (this is test code).

#include "support/SqliteFixture.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvelle::test {

/// Switches an open database to log mode with automatic checkpoints off.
void startWriteAheadLog(SqliteFixture& db);
/// Copies `source` and `source`-wal, as they stand, to `target` and `target`-wal.
void copyWithLog(const std::filesystem::path& source, const std::filesystem::path& target);

/// Page size of the log's frames and the number of whole frames it holds.
std::uint32_t logPageSize(const std::filesystem::path& log);
std::size_t logFrameCount(const std::filesystem::path& log);
/// Clears the commit mark of the last frame (its transaction never finished)
/// and fixes its checksum.
void uncommitLastLogFrame(const std::filesystem::path& log);
/// Changes a byte inside the page of frame `frame` (0-based) without fixing
/// any checksum: that frame and the ones after it are no longer valid.
void damageLogFrame(const std::filesystem::path& log, std::size_t frame);
/// Gives the log header other salts (its checksum fixed): the frames no longer match it.
void changeLogSalts(const std::filesystem::path& log);

/// sms.db (iOS 7 layout) with a log, and what each part of it holds.
struct SmsWithLog {
    std::filesystem::path database;
    std::vector<std::string> inFile;      ///< message texts committed to the database file
    std::vector<std::string> inLog;       ///< texts committed only in the log
    std::string deletedInLog;             ///< committed in the log, deleted (zeroed) by a later commit
    std::string uncommitted;              ///< only in frames after the last commit
    std::size_t committedFrames = 0;      ///< frames up to and including the last commit
};
/// Builds it at `path` (and `path`-wal); the work files stay beside it.
SmsWithLog buildSmsWithLog(const std::filesystem::path& path);

} // namespace orvelle::test
