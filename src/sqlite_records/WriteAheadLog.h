#pragma once
/// The write-ahead log beside a database (its path + "-wal"), read without
/// changing it: the header is checked, every frame is walked once to verify
/// salts and cumulative checksums, and what is kept is an index of offsets,
/// never the frames' bytes. The page reader asks it where the latest committed
/// version of a page stands; the carving driver asks it for every other frame
/// (older versions, uncommitted or invalid ones), which often hold deleted rows.
///
/// Log header (32 bytes, big-endian):
///
/// | offset | size | meaning                                                     |
/// |--------|------|-------------------------------------------------------------|
/// | 0      | 4    | magic: 0x377f0682 (checksums little-endian) or 0x377f0683   |
/// |        |      | (checksums big-endian)                                      |
/// | 4      | 4    | format version (3007000)                                    |
/// | 8      | 4    | database page size                                          |
/// | 12     | 4    | checkpoint sequence number                                  |
/// | 16     | 4    | salt-1                                                      |
/// | 20     | 4    | salt-2                                                      |
/// | 24     | 8    | checksum of the first 24 bytes                              |
///
/// Frame: a 24-byte header, then one page of the database.
///
/// | offset | size | meaning                                                     |
/// |--------|------|-------------------------------------------------------------|
/// | 0      | 4    | page number (1-based)                                       |
/// | 4      | 4    | for a commit frame: database size in pages after it; else 0 |
/// | 8      | 8    | salt-1 and salt-2, equal to the header's in a valid frame    |
/// | 16     | 8    | cumulative checksum: header bytes 0..7 of the frame and its  |
/// |        |      | page, seeded with the previous frame's (the header's first)  |
///
/// A frame is valid when its salts match and its checksum is right, and every
/// frame before it is valid. The database is the file with every page replaced
/// by its latest version among the valid frames up to the last valid commit
/// frame, cut to that frame's page count. Frames past a broken one, and frames
/// left from an earlier generation of the log (other salts), are never applied.
///
/// Memory: one entry per frame (page number, offset, state) and one per page
/// of the committed index; one page buffer while the log is checked.

#include "core/Status.h"
#include "platform/File.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvelle {

constexpr std::uint32_t kLogMagicLittleEndian = 0x377f0682;
constexpr std::uint32_t kLogMagicBigEndian = 0x377f0683;
constexpr std::uint32_t kLogFormatVersion = 3007000;
constexpr std::size_t kLogHeaderSize = 32;
constexpr std::size_t kLogFrameHeaderSize = 24;

/// Which write-ahead log the page reader applies over a database file.
struct LogOptions {
    bool read = true;           ///< false: the database file alone
    std::filesystem::path path; ///< empty: the database's path + "-wal", when that file exists
};

/// The log's running checksum: pairs of 32-bit words, read in the byte order
/// the magic chose, fold into two sums; stored as two big-endian words.
class LogChecksum {
public:
    LogChecksum(bool bigEndian, std::uint32_t first, std::uint32_t second)
        : m_bigEndian(bigEndian), m_first(first), m_second(second) {}

    /// Folds `length` bytes (a multiple of 8; a rest is ignored) into the sums.
    void add(const std::uint8_t* bytes, std::size_t length);
    /// True when the 8 bytes at `stored` hold these sums.
    bool equals(const std::uint8_t* stored) const;
    std::uint32_t first() const { return m_first; }
    std::uint32_t second() const { return m_second; }

private:
    std::uint32_t word(const std::uint8_t* p) const;

    bool m_bigEndian;
    std::uint32_t m_first;
    std::uint32_t m_second;
};

/// How a frame of the log stands.
enum class LogFrameState : std::uint8_t {
    committed,   ///< valid, at or before the last valid commit frame
    uncommitted, ///< valid, after the last commit frame (a transaction that never finished)
    invalid,     ///< wrong salt or checksum, or after such a frame
};

/// One frame of the log: where it is, which page it holds.
struct LogFrame {
    std::uint64_t offset = 0;    ///< file offset of the frame's page bytes (past its header)
    std::uint32_t pageIndex = 0; ///< 0-based database page number
    LogFrameState state = LogFrameState::invalid;
};

class WriteAheadLog {
public:
    WriteAheadLog() = default;
    WriteAheadLog(const WriteAheadLog&) = delete;
    WriteAheadLog& operator=(const WriteAheadLog&) = delete;

    /// Opens the log at `path` (read-only) for a database of `pageSize` bytes
    /// per page and indexes its frames. kStatusFileMissing when there is no
    /// such file; kStatusInvalid when it is no usable log (bad magic, version,
    /// page size or header checksum: `problem()` says which), and the log is
    /// then closed. A log with no valid commit frame opens (kStatusOk) with an
    /// empty committed index; its frames are still listed for carving. A log
    /// that is no regular file (or a link, unless `links` follows them) gives
    /// kStatusNotRegularFile with that problem.
    Status open(const std::filesystem::path& path, std::uint32_t pageSize,
                platform::LinkRule links = platform::LinkRule::refuse);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    /// The offset of the latest committed version of `pageIndex` (0-based) in
    /// the log, or 0 when the database file's own page stands.
    std::uint64_t committedOffset(std::uint32_t pageIndex) const;
    /// True when a valid commit frame was found: databasePages() is then the
    /// database's size.
    bool hasCommit() const { return m_databasePages != 0; }
    /// The database size in pages after the last valid commit (0: no commit).
    std::uint32_t databasePages() const { return m_databasePages; }
    /// Cuts the database size to what can hold pages: the database file's
    /// `filePages` plus one per page the log commits (a commit frame's size is
    /// only a number; a hostile one would make every page walk allocate for
    /// pages that are nowhere). Notes a cut as a problem.
    void limitDatabasePages(std::uint64_t filePages);
    /// Every complete frame of the file, in file order.
    const std::vector<LogFrame>& frames() const { return m_frames; }
    /// True when `frame` is not the version of its page that the page reader
    /// uses (an older version, or an uncommitted or invalid one).
    bool isSuperseded(const LogFrame& frame) const;

    /// Reads `length` bytes at log offset `offset`: 0, 87 when not open, 30 on a short read.
    Status readAt(std::uint64_t offset, std::size_t length, void* buffer) const;

    /// Empty when the log was read whole; otherwise what was wrong with it
    /// (checksum or salt mismatch at a frame, a truncated last frame, a bad
    /// header), in words for a warning.
    const std::string& problem() const { return m_problem; }

private:
    void addProblem(const std::string& text);
    void indexFrames(std::uint32_t salt1, std::uint32_t salt2, std::uint32_t seed1, std::uint32_t seed2);

    platform::InputFile m_file;
    std::uint64_t m_fileSize = 0;
    std::uint32_t m_pageSize = 0;
    bool m_bigEndianChecksums = false;
    std::uint32_t m_databasePages = 0;
    std::unordered_map<std::uint32_t, std::uint64_t> m_committed;
    std::vector<LogFrame> m_frames;
    std::string m_problem;
};

} // namespace orvelle
