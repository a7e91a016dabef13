#pragma once
// One fuzz input as a database and the write-ahead log beside it, run through
// the page reader and the carving driver (ExerciseEngine.h). Shared by the log
// fuzz target, its seed generator and the test that replays its regression
// inputs.
//
// The input's form is in LogInput.h.

#include "ExerciseEngine.h"
#include "LogInput.h"
#include "sqlite_records/SqliteFormat.h"
#include "sqlite_records/WriteAheadLog.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace orvelle::fuzz {

inline void putBigEndian32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xff);
}

// Every whole frame gets the header's salts and the checksum chain is
// recomputed from the header on; a log whose page size is not one is left alone.
inline void fixLogChecksums(std::string& log) {
    if (log.size() < kLogHeaderSize) return;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(log.data());
    const std::uint32_t pageSize = readBigEndian32(bytes + 8);
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) return;
    const bool bigEndian = readBigEndian32(bytes) == kLogMagicBigEndian;
    LogChecksum sum(bigEndian, 0, 0);
    sum.add(bytes, 24);
    putBigEndian32(log, 24, sum.first());
    putBigEndian32(log, 28, sum.second());
    const std::size_t frameSize = kLogFrameHeaderSize + pageSize;
    for (std::size_t frame = kLogHeaderSize; frame + frameSize <= log.size(); frame += frameSize) {
        log.replace(frame + 8, 8, log, 16, 8);
        const auto* at = reinterpret_cast<const std::uint8_t*>(log.data()) + frame;
        sum.add(at, 8);
        sum.add(at + kLogFrameHeaderSize, pageSize);
        putBigEndian32(log, frame + 16, sum.first());
        putBigEndian32(log, frame + 20, sum.second());
    }
}

inline bool writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    if (!out) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

// Writes the pair as `database` and `database`-wal and reads it as the scan would.
inline std::uint64_t exerciseDatabaseWithLog(const std::filesystem::path& database, const std::uint8_t* data,
                                             std::size_t size) {
    LogInput input = splitLogInput(data, size);
    if (input.flags & kFixLogChecksums) fixLogChecksums(input.log);
    std::filesystem::path log = database;
    log += "-wal";
    if (!writeBytes(database, input.database) || !writeBytes(log, input.log)) return 0;
    std::uint64_t sum = exerciseDatabase(database);
    WriteAheadLog direct;
    if (direct.open(log, 512) == kStatusOk) sum += direct.frames().size() + direct.databasePages();
    return sum;
}

} // namespace orvelle::fuzz
