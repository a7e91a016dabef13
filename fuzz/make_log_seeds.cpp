// Writes the seed corpus of the write-ahead log fuzz target: small databases
// (512-byte pages) in log mode with automatic checkpoints off, each packed
// with its log (LogInput.h) as it stands before a close would checkpoint it:
// rows committed only to the log, pages written several times (older versions
// with rows deleted later), a transaction left uncommitted, a log restarted
// after a checkpoint (frames of two generations), each once as is and once
// with the flag that keeps its checksums right under mutation.
//
//   fuzz_make_log_seeds OUTPUT-FOLDER

#include "LogInput.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sqlite3.h>
#include <string>

namespace {

bool exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
    std::fprintf(stderr, "fuzz_make_log_seeds: %s\n", error ? error : "error");
    sqlite3_free(error);
    return false;
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string row(int i) {
    return "(NULL, 'message " + std::to_string(i) + std::string(i % 40, '.') + "', " + std::to_string(i * 7919) +
           ", x'" + std::string(2 * (i % 9 + 1), 'c') + "')";
}

// steps: 0 commits only; 1 also a deleted row and an update; 2 also an open
// transaction; 3 also a checkpoint and a restarted log.
bool makeSeed(const std::filesystem::path& work, const std::filesystem::path& output, int steps) {
    std::filesystem::remove(work);
    std::filesystem::remove(work.string() + "-wal");
    std::filesystem::remove(work.string() + "-shm");
    sqlite3* db = nullptr;
    if (sqlite3_open(work.string().c_str(), &db) != SQLITE_OK) return false;
    bool ok = exec(db, "PRAGMA page_size=512; PRAGMA secure_delete=OFF; PRAGMA auto_vacuum=NONE;");
    ok = ok && exec(db, "CREATE TABLE T(id INTEGER PRIMARY KEY, a TEXT, b INTEGER, c BLOB, d TEXT, e INTEGER);");
    ok = ok && exec(db, "CREATE TABLE message(id INTEGER PRIMARY KEY, a TEXT, b INTEGER, c BLOB);");
    for (int i = 1; ok && i <= 12; ++i)
        ok = exec(db, "INSERT INTO message VALUES" + row(i) + ";");
    ok = ok && exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
    for (int i = 13; ok && i <= 30; ++i)
        ok = exec(db, "INSERT INTO message VALUES" + row(i) + ";");
    if (ok && steps >= 1) {
        ok = exec(db, "DELETE FROM message WHERE id % 5 = 0;") &&
             exec(db, "UPDATE message SET a = 'changed' WHERE id % 7 = 0;");
    }
    if (ok && steps >= 3) {
        ok = exec(db, "PRAGMA wal_checkpoint(RESTART);");
        for (int i = 31; ok && i <= 34; ++i)
            ok = exec(db, "INSERT INTO message VALUES" + row(i) + ";");
    }
    if (ok && steps >= 2) ok = exec(db, "BEGIN; PRAGMA cache_size=1; INSERT INTO message VALUES" + row(99) + ";");
    orvelle::fuzz::LogInput input;
    input.database = readBytes(work);
    input.log = readBytes(work.string() + "-wal");
    sqlite3_close(db);
    for (std::uint8_t flags : {std::uint8_t(0), orvelle::fuzz::kFixLogChecksums}) {
        input.flags = flags;
        std::ofstream out(output.string() + "-" + std::to_string(flags), std::ios::binary);
        const std::string packed = orvelle::fuzz::packLogInput(input);
        out.write(packed.data(), static_cast<std::streamsize>(packed.size()));
        ok = ok && static_cast<bool>(out);
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_log_seeds OUTPUT-FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::filesystem::path work = folder / "work.db";
    int written = 0;
    for (int steps = 0; steps <= 3; ++steps)
        if (makeSeed(work, folder / ("log-seed-" + std::to_string(steps)), steps)) written += 2;
    std::filesystem::remove(work);
    std::filesystem::remove(work.string() + "-wal");
    std::filesystem::remove(work.string() + "-shm");
    std::printf("%d seeds\n", written);
    return written > 0 ? 0 : 1;
}
