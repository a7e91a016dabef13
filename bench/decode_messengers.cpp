// QQ and WeChat decoder benchmark. Two accounts are generated, secure_delete
// off: a QQ.db and a WeChat MM.sqlite, each with --partners partner tables of
// --messages messages (texts of 20 to 140 characters), every 10th message
// deleted afterwards. Each decoder (partner list read, every partner table
// read page by page, free space and freed pages carved, dates made texts,
// conversations sorted) is timed beside the SQLite library reading the same
// tables and columns in the same kind of process (prepare, step, read every
// value, print nothing). Every run is a child process of its own, so that
// its peak memory is its own; the sides alternate and the medians are
// reported with their ratio. The decoder's records stay alive until the
// child exits, as a caller keeps them (freeing them is no part of decoding).
//
// usage: bench_decode_messengers [--partners N] [--messages N] [--runs N]

#include "BenchSupport.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/QqDecoder.h"
#include "sqlite_records/decoders/WeChatDecoder.h"
#include "support/DeviceDbMessengers.h"
#include "support/TempFolder.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace orvelle;

namespace {

constexpr int kDeleteEvery = 10;

/// SQL that fills `table` with `messages` rows made by `values` (a select list over i).
std::string fill(const std::string& table, int messages, const std::string& values) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(messages) + ") INSERT INTO " + table + " SELECT " + values + " FROM n";
}

/// A text of 20 to 140 characters that differs per row.
const std::string kText = "'message ' || i || ' ' || substr(hex(randomblob(64)), 1, 10 + (i * 7) % 130)";

std::vector<std::string> qqNumbers(int partners) {
    std::vector<std::string> numbers;
    for (int p = 0; p < partners; ++p)
        numbers.push_back(std::to_string(200000 + p));
    return numbers;
}

std::vector<std::string> weChatNames(int partners) {
    std::vector<std::string> names;
    for (int p = 0; p < partners; ++p)
        names.push_back("wxid_bench" + std::to_string(p));
    return names;
}

void generateQq(const std::filesystem::path& path, int partners, int messages) {
    test::QqDb db(path);
    db.fixture().exec("PRAGMA synchronous=OFF");
    for (const std::string& number : qqNumbers(partners)) {
        db.addPartner(number);
        std::string values = "10001, CASE WHEN i % 2 THEN '" + number +
                             "' ELSE '10001' END, 1577836800 + i * 61, i, i % 2, 0, " + kText;
        for (int column = 7; column < 50; ++column)
            values += ", 0";
        const std::string table = test::QqDb::tableOf(number);
        db.fixture().exec(fill(table, messages, values));
        db.fixture().exec("DELETE FROM " + table + " WHERE rowid % " + std::to_string(kDeleteEvery) + " = 3");
    }
    db.close();
}

void generateWeChat(const std::filesystem::path& path, int partners, int messages) {
    test::WeChatDb db(path, true);
    db.fixture().exec("PRAGMA synchronous=OFF");
    for (const std::string& name : weChatNames(partners)) {
        db.addFriend(name, "Friend " + name);
        db.addChatTable(name);
        const std::string table = test::WeChatDb::tableOf(name);
        db.fixture().exec(
            fill(table, messages, "NULL, i * 7919, 1, 1577836800 + i * 61, " + kText + ", 2, 0, 1, i % 2"));
        db.fixture().exec("DELETE FROM " + table + " WHERE MesLocalID % " + std::to_string(kDeleteEvery) +
                          " = 3");
    }
    db.close();
}

/// The decoder's call in this process: "wall cpu messages deleted".
std::string decodeOnce(const std::function<Status(PartnerChatMap&)>& decode) {
    auto* chats = new PartnerChatMap; // kept until the child exits
    const double cpuBefore = bench::processCpuSeconds();
    const auto start = bench::Clock::now();
    const Status status = decode(*chats);
    const double wall = bench::secondsSince(start);
    const double cpu = bench::processCpuSeconds() - cpuBefore;
    std::size_t total = 0, deleted = 0;
    for (const auto& [partner, messages] : *chats)
        for (const MessageRecord& m : messages) {
            ++total;
            deleted += m.deleted != kLive ? 1 : 0;
        }
    char line[160];
    std::snprintf(line, sizeof line, "%.6f %.6f %zu %zu %d", wall, cpu, total, deleted, status);
    return line;
}

/// Where the decoder's time goes: the page reader alone over `tables` (live
/// rows, then live and carved rows, handed to a routine that keeps nothing),
/// and the whole decoder a second time in the same process, when the memory
/// of the first call's records can be reused.
std::string steps(const std::filesystem::path& path, const std::vector<std::string>& tables,
                  const std::array<int, 3>& fields, const std::function<Status(PartnerChatMap&)>& decode) {
    std::string out;
    char line[128];
    SqliteFile file;
    file.open(path);
    for (const bool carved : {false, true}) {
        ScanOptions options;
        options.carvedRows = carved;
        options.freelistRows = false;
        options.wantedColumns = fields;
        std::size_t rows = 0;
        const auto start = bench::Clock::now();
        for (const std::string& table : tables)
            scanTable(
                file, table,
                [&rows](const Row&) {
                    ++rows;
                    return kStatusOk;
                },
                options);
        std::snprintf(line, sizeof line, "  page reader alone, %-17s %8.1f ms  (%zu rows)\n",
                      carved ? "live + carved:" : "live rows:", bench::secondsSince(start) * 1000, rows);
        out += line;
    }
    for (const char* call : {"first", "second"}) {
        PartnerChatMap chats;
        const auto start = bench::Clock::now();
        decode(chats);
        std::snprintf(line, sizeof line, "  decoder, %-6s call in a process:  %8.1f ms\n", call,
                      bench::secondsSince(start) * 1000);
        out += line;
    }
    return out;
}

/// The library's reading of `queries` in this process: "wall cpu rows 0 ok".
std::string readOnce(const std::filesystem::path& path, const std::vector<std::string>& queries) {
    const double cpuBefore = bench::processCpuSeconds();
    const auto start = bench::Clock::now();
    const bench::LibraryRead read = bench::readWithLibrary(path.string(), queries);
    const double wall = bench::secondsSince(start);
    const double cpu = bench::processCpuSeconds() - cpuBefore;
    char line[160];
    std::snprintf(line, sizeof line, "%.6f %.6f %llu 0 %d", wall, cpu,
                  static_cast<unsigned long long>(read.rows), read.ok ? 0 : 1);
    return line;
}

struct Side {
    std::vector<double> wall, cpu, peakMiB;
    std::size_t rows = 0, deleted = 0;
    bool failed = false;

    void add(const bench::ChildRun& run) {
        double w = 0, c = 0;
        std::size_t r = 0, d = 0;
        int status = 1;
        if (!run.ok || std::sscanf(run.output.c_str(), "%lf %lf %zu %zu %d", &w, &c, &r, &d, &status) != 5 ||
            status != 0)
            failed = true;
        wall.push_back(w);
        cpu.push_back(c);
        peakMiB.push_back(static_cast<double>(run.peakKiB) / 1024.0);
        rows = r;
        deleted = d;
    }
};

void report(const char* app, const Side& decoder, const Side& library) {
    std::printf("%s decoder: %8.1f ms wall, %8.1f ms cpu, peak %6.1f MiB  (%zu messages, %zu deleted)\n", app,
                bench::median(decoder.wall) * 1000, bench::median(decoder.cpu) * 1000,
                bench::median(decoder.peakMiB), decoder.rows, decoder.deleted);
    std::printf("%s library: %8.1f ms wall, %8.1f ms cpu, peak %6.1f MiB  (%zu rows)\n", app,
                bench::median(library.wall) * 1000, bench::median(library.cpu) * 1000,
                bench::median(library.peakMiB), library.rows);
    std::printf("%s ratio decoder / library (wall medians): %.2f\n", app,
                bench::median(decoder.wall) / bench::median(library.wall));
}

} // namespace

int main(int argc, char** argv) {
    int partners = 100, messages = 5000, runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--partners") == 0) partners = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--messages") == 0) messages = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    test::TempFolder temp("orvelle-bench-messengers");
    const auto qq = temp / "QQ.db";
    const auto mm = temp / "MM.sqlite";
    generateQq(qq, partners, messages);
    generateWeChat(mm, partners, messages);
    std::printf("%d partners x %d messages, every %dth deleted; QQ.db %.1f MiB, MM.sqlite %.1f MiB; median "
                "of %d runs\n",
                partners, messages, kDeleteEvery,
                static_cast<double>(std::filesystem::file_size(qq)) / 1048576.0,
                static_cast<double>(std::filesystem::file_size(mm)) / 1048576.0, runs);

    std::vector<std::string> qqQueries{"select tableName from tb_c2cTables"};
    for (const std::string& number : qqNumbers(partners))
        qqQueries.push_back("select senderuin, time, flag, content from " + test::QqDb::tableOf(number));
    std::vector<std::string> weChatQueries{"select UsrName, NickName from Friend"};
    for (const std::string& name : weChatNames(partners))
        weChatQueries.push_back("select CreateTime, Message, Des from " + test::WeChatDb::tableOf(name));

    struct App {
        const char* name;
        std::function<Status(PartnerChatMap&)> decode;
        std::array<int, 3> fields; ///< date, direction and text columns of a partner table
        std::filesystem::path file;
        std::vector<std::string> queries;
        Side decoder, library;
    };
    std::vector<App> apps;
    apps.push_back(
        {"QQ    ", [&](PartnerChatMap& out) { return decodeQQ(qq, out); }, {2, 4, 6}, qq, qqQueries, {}, {}});
    apps.push_back({"WeChat",
                    [&](PartnerChatMap& out) { return decodeWeChat(mm, out); },
                    {3, 4, 8},
                    mm,
                    weChatQueries,
                    {},
                    {}});
    bool failed = false;
    for (App& app : apps) {
        // One warm-up of each side: the file is in the page cache for both.
        bench::runInChild([&] { return decodeOnce(app.decode); });
        bench::runInChild([&] { return readOnce(app.file, app.queries); });
        for (int run = 0; run < runs; ++run) {
            const auto decoder = [&] {
                app.decoder.add(bench::runInChild([&] { return decodeOnce(app.decode); }));
            };
            const auto library = [&] {
                app.library.add(bench::runInChild([&] { return readOnce(app.file, app.queries); }));
            };
            if (run % 2 == 0)
                decoder(), library();
            else
                library(), decoder();
        }
        report(app.name, app.decoder, app.library);
        std::vector<std::string> tables;
        for (std::size_t i = 1; i < app.queries.size(); ++i)
            tables.push_back(app.queries[i].substr(app.queries[i].rfind(' ') + 1));
        std::fputs(
            bench::runInChild([&] { return steps(app.file, tables, app.fields, app.decode); }).output.c_str(),
            stdout);
        failed = failed || app.decoder.failed || app.library.failed;
        // Live rows: the library's count less the partner list's rows.
        const std::size_t live = app.decoder.rows - app.decoder.deleted;
        if (live != app.library.rows - static_cast<std::size_t>(partners)) {
            std::fprintf(stderr, "%s: the decoder found %zu live messages, the library %zu rows\n", app.name,
                         live, app.library.rows - static_cast<std::size_t>(partners));
            failed = true;
        }
    }
    return failed ? 1 : 0;
}
