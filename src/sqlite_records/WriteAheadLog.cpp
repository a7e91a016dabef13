#include "sqlite_records/WriteAheadLog.h"

#include "sqlite_records/ExactRead.h"
#include "sqlite_records/SqliteFormat.h"

#include <algorithm>
#include <array>
#include <string>

namespace orvelle {

namespace {

std::uint32_t readLittleEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

bool isPageSize(std::uint32_t size) {
    return size >= kSmallestPageSize && size <= kLargestPageSize && (size & (size - 1)) == 0;
}

} // namespace

void LogChecksum::add(const std::uint8_t* bytes, std::size_t length) {
    for (std::size_t i = 0; i + 8 <= length; i += 8) {
        m_first += word(bytes + i) + m_second;
        m_second += word(bytes + i + 4) + m_first;
    }
}

bool LogChecksum::equals(const std::uint8_t* stored) const {
    return readBigEndian32(stored) == m_first && readBigEndian32(stored + 4) == m_second;
}

std::uint32_t LogChecksum::word(const std::uint8_t* p) const {
    return m_bigEndian ? readBigEndian32(p) : readLittleEndian32(p);
}

Status WriteAheadLog::open(const std::filesystem::path& path, std::uint32_t pageSize,
                           platform::LinkRule links) {
    close();
    std::error_code ec;
    if (!platform::pathExists(path)) return kStatusFileMissing;
    if (!m_file.open(path, ec, links)) {
        if (platform::isNotRegularFile(ec)) {
            m_problem = "the log is not a regular file: skipped";
            return kStatusNotRegularFile;
        }
        // A link that leads nowhere is no log either.
        if (ec == std::errc::no_such_file_or_directory) return kStatusFileMissing;
        m_problem = "the log cannot be opened";
        return ec.value() != 0 ? ec.value() : kStatusInvalid;
    }
    m_fileSize = m_file.size(ec);
    std::array<std::uint8_t, kLogHeaderSize> header{};
    if (ec || m_fileSize < kLogHeaderSize || readAt(0, header.size(), header.data()) != kStatusOk) {
        // An empty log is what a database in log mode has after a checkpoint
        // that reset it: nothing to apply, nothing to say.
        const bool empty = !ec && m_fileSize == 0;
        close();
        if (!empty) m_problem = "the log is shorter than its 32-byte header";
        return empty ? kStatusFileMissing : kStatusInvalid;
    }
    const std::uint32_t magic = readBigEndian32(header.data());
    const std::uint32_t logPageSize = readBigEndian32(header.data() + 8);
    std::string problem;
    if (magic != kLogMagicLittleEndian && magic != kLogMagicBigEndian)
        problem = "the log does not start with the log magic number";
    else if (readBigEndian32(header.data() + 4) != kLogFormatVersion)
        problem = "the log has an unknown format version";
    else if (!isPageSize(logPageSize) || logPageSize != pageSize)
        problem = "the log's page size " + std::to_string(logPageSize) + " is not the database's " +
                  std::to_string(pageSize);
    if (problem.empty()) {
        m_bigEndianChecksums = magic == kLogMagicBigEndian;
        LogChecksum sum(m_bigEndianChecksums, 0, 0);
        sum.add(header.data(), 24);
        if (!sum.equals(header.data() + 24)) problem = "the log header's checksum is wrong";
        m_pageSize = pageSize;
        if (problem.empty())
            indexFrames(readBigEndian32(header.data() + 16), readBigEndian32(header.data() + 20), sum.first(),
                        sum.second());
    }
    if (!problem.empty()) {
        close();
        m_problem = std::move(problem);
        return kStatusInvalid;
    }
    return kStatusOk;
}

void WriteAheadLog::indexFrames(std::uint32_t salt1, std::uint32_t salt2, std::uint32_t seed1,
                                std::uint32_t seed2) {
    const std::uint64_t frameSize = kLogFrameHeaderSize + std::uint64_t(m_pageSize);
    const std::uint64_t count = (m_fileSize - kLogHeaderSize) / frameSize;
    if ((m_fileSize - kLogHeaderSize) % frameSize != 0)
        addProblem("the log ends with a truncated frame, which is ignored");
    m_frames.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, 1u << 20)));
    // Valid frames enter the committed index only when their commit frame
    // comes: until then they wait at the end of the list, from firstUncommitted.
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(frameSize));
    LogChecksum sum(m_bigEndianChecksums, seed1, seed2);
    bool valid = true;
    std::size_t firstUncommitted = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t offset = kLogHeaderSize + i * frameSize;
        LogFrame entry;
        entry.offset = offset + kLogFrameHeaderSize;
        if (readAt(offset, frame.size(), frame.data()) != kStatusOk) {
            addProblem("the log could not be read past frame " + std::to_string(i));
            break;
        }
        const std::uint32_t page = readBigEndian32(frame.data());
        entry.pageIndex = page == 0 ? 0 : page - 1;
        if (valid) {
            const bool saltsMatch =
                readBigEndian32(frame.data() + 8) == salt1 && readBigEndian32(frame.data() + 12) == salt2;
            sum.add(frame.data(), 8);
            sum.add(frame.data() + kLogFrameHeaderSize, m_pageSize);
            if (!saltsMatch || page == 0 || !sum.equals(frame.data() + 16)) {
                valid = false;
                // Frames of an earlier generation of the log (other salts)
                // follow the current ones after every reset: not a fault, but
                // worth a word when none of the log is current.
                if (saltsMatch)
                    addProblem("frame " + std::to_string(i) +
                               " of the log is damaged (wrong checksum); it and the frames after it are not applied");
                else if (i == 0)
                    addProblem("the log's frames carry other salts than its header (left from before a reset); "
                               "none is applied");
            }
        }
        if (valid) {
            entry.state = LogFrameState::uncommitted;
            const std::uint32_t databasePages = readBigEndian32(frame.data() + 4);
            if (databasePages != 0) {
                m_databasePages = databasePages;
                m_frames.push_back(entry);
                for (std::size_t k = firstUncommitted; k < m_frames.size(); ++k) {
                    m_frames[k].state = LogFrameState::committed;
                    m_committed[m_frames[k].pageIndex] = m_frames[k].offset;
                }
                firstUncommitted = m_frames.size();
                continue;
            }
        }
        if (page != 0) m_frames.push_back(entry);
    }
    // Pages past the committed size are not part of the database.
    for (auto it = m_committed.begin(); it != m_committed.end();)
        it = it->first >= m_databasePages ? m_committed.erase(it) : std::next(it);
}

void WriteAheadLog::addProblem(const std::string& text) {
    if (!m_problem.empty()) m_problem += "; ";
    m_problem += text;
}

void WriteAheadLog::close() {
    m_file.close();
    m_fileSize = 0;
    m_pageSize = 0;
    m_databasePages = 0;
    m_committed.clear();
    m_frames.clear();
    m_problem.clear();
}

void WriteAheadLog::limitDatabasePages(std::uint64_t filePages) {
    // Every page past the file's end that the database holds was written to
    // the log, so the database has at most one page more per committed page.
    const std::uint64_t reachable = filePages + m_committed.size();
    if (m_databasePages <= reachable) return;
    addProblem("the last commit says the database has " + std::to_string(m_databasePages) +
               " pages, more than the file and the log can hold; " + std::to_string(reachable) + " are read");
    m_databasePages = static_cast<std::uint32_t>(reachable);
    for (auto it = m_committed.begin(); it != m_committed.end();)
        it = it->first >= m_databasePages ? m_committed.erase(it) : std::next(it);
}

std::uint64_t WriteAheadLog::committedOffset(std::uint32_t pageIndex) const {
    const auto it = m_committed.find(pageIndex);
    return it == m_committed.end() ? 0 : it->second;
}

bool WriteAheadLog::isSuperseded(const LogFrame& frame) const {
    return frame.state != LogFrameState::committed || committedOffset(frame.pageIndex) != frame.offset;
}

Status WriteAheadLog::readAt(std::uint64_t offset, std::size_t length, void* buffer) const {
    if (!m_file.isOpen()) return kStatusInvalid;
    return readExactly(m_file, offset, length, static_cast<std::uint8_t*>(buffer));
}

} // namespace orvelle
