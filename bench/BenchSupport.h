#pragma once
// What the benchmarks share: clocks, the median, measuring a piece of work or
// a program in a child process of its own (wall time, processor time, peak
// resident memory), and the SQLite library's own reading of a query as the
// in-process reference (prepare, step, read every column, print nothing).
// Benchmarks run on Linux only.

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orvelle::bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

/// User + system time of this process so far.
inline double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// Peak resident memory of this process since it started its program (VmHWM,
/// KiB). Unlike the usage counters, it does not carry over the peak of the
/// parent that started it.
inline long peakResidentKiB() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld", &kib) == 1) break;
    std::fclose(status);
    return kib;
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

/// One run in a child process: what it printed, its wall time from fork to
/// exit, its processor time and its peak resident memory.
struct ChildRun {
    std::string output;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

namespace detail {
inline ChildRun collect(int readEnd, pid_t pid, Clock::time_point start) {
    ChildRun result;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(readEnd, buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(readEnd);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.wallSeconds = secondsSince(start);
    result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    result.peakKiB = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}
} // namespace detail

/// Runs `work` (returning the text to hand back) in a forked child.
template <typename Work> ChildRun runInChild(Work work) {
    int fds[2];
    if (::pipe(fds) != 0) std::exit(1);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string out = work();
        if (::write(fds[1], out.data(), out.size()) < 0) ::_exit(2);
        ::_exit(0);
    }
    ::close(fds[1]);
    return detail::collect(fds[0], pid, start);
}

/// Runs a program; its standard output comes back unless `discardOutput`.
/// Started with posix_spawn, so the child's peak memory is its own and not a
/// copy of this process's.
inline ChildRun runProgram(const std::vector<std::string>& argv, bool discardOutput = false) {
    int fds[2];
    if (::pipe(fds) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    if (discardOutput)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int failed = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (failed) {
        ::close(fds[0]);
        return ChildRun{};
    }
    return detail::collect(fds[0], pid, start);
}

/// The path of this program (for re-running it in a child mode).
inline std::string selfPath() {
    char exe[4096];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) std::exit(1);
    exe[length] = '\0';
    return exe;
}

/// What the library read: rows, and a sum over every byte and number of every
/// column (so that nothing read can be left out by the compiler).
struct LibraryRead {
    std::uint64_t rows = 0;
    std::uint64_t bytes = 0;
    std::uint64_t checksum = 0;
    bool ok = true;
};

/// Reads every row of each query through the SQLite library on `db` (opened
/// read-only): every column's value is fetched in its stored type and every
/// byte of a text or blob is touched. Nothing is printed.
inline LibraryRead readWithLibrary(const std::string& path, const std::vector<std::string>& queries) {
    LibraryRead read;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        read.ok = false;
        return read;
    }
    for (const std::string& query : queries) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            read.ok = false;
            continue;
        }
        const int columns = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            ++read.rows;
            for (int i = 0; i < columns; ++i) {
                switch (sqlite3_column_type(statement, i)) {
                case SQLITE_INTEGER:
                    read.checksum += static_cast<std::uint64_t>(sqlite3_column_int64(statement, i));
                    break;
                case SQLITE_FLOAT:
                    read.checksum += static_cast<std::uint64_t>(sqlite3_column_double(statement, i));
                    break;
                case SQLITE_TEXT:
                case SQLITE_BLOB: {
                    const auto* bytes = static_cast<const unsigned char*>(
                        sqlite3_column_type(statement, i) == SQLITE_TEXT
                            ? static_cast<const void*>(sqlite3_column_text(statement, i))
                            : sqlite3_column_blob(statement, i));
                    const int length = sqlite3_column_bytes(statement, i);
                    read.bytes += static_cast<std::uint64_t>(length);
                    for (int b = 0; b < length; ++b)
                        read.checksum += bytes[b];
                    break;
                }
                default:
                    break;
                }
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return read;
}

} // namespace orvelle::bench
