// Calendar decoder benchmark: a Calendar.sqlitedb (iOS 15 layout) of 100,000
// events in 8 calendars, every 10th at one of 500 places, every 20th
// repeating. decodeCalendar (every row read page by page, free space carved,
// calendars, places and repeat rules joined, dates made texts, events sorted)
// is timed beside the SQLite library reading the same rows and columns in the
// same process: one prepared statement joining CalendarItem with Calendar,
// Location and Recurrence, stepped to the end, every column read (texts as
// UTF-8, numbers as numbers), nothing printed. Each side runs --runs times
// after one warm-up run; the best time of each is reported with their ratio.
// The input is generated in a temporary folder.
//
// usage: bench_decode_calendar [--events N] [--runs N]

#include "sqlite_records/decoders/CalendarDecoder.h"
#include "sqlite_records/decoders/SqliteProbe.h"
#include "support/DeviceDbCalendar.h"
#include "support/TempFolder.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

using namespace orvelle;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kCalendars = 8;
constexpr int kPlaces = 500;

/// Keeps the values read from being optimised away.
volatile double g_sink = 0;

void generate(const std::filesystem::path& path, int events) {
    test::CalendarDb db(path, test::CalendarLayout::ios15);
    db.exec("PRAGMA synchronous=OFF");
    db.exec("BEGIN");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kCalendars) +
            ") INSERT INTO Calendar(ROWID, store_id, title, flags, type) SELECT i, 1, 'Calendar ' || i, 0, 'local' "
            "FROM n");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kPlaces) +
            ") INSERT INTO Location(ROWID, title, address, latitude, longitude) SELECT i, 'Place ' || i, i || "
            "' Main Street, Springfield', 52.5, 13.4 FROM n");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(events) +
            ") INSERT INTO CalendarItem(ROWID, summary, location_id, description, start_date, start_tz, end_date, "
            "end_tz, all_day, calendar_id, status, availability, hidden, has_recurrences, has_attendees, UUID, "
            "entity_type, creation_date) SELECT i, 'Event number ' || i || ' of the generated calendar', "
            "CASE WHEN i % 10 = 0 THEN 1 + i % " +
            std::to_string(kPlaces) +
            " END, CASE WHEN i % 4 = 0 THEN 'Notes of event ' || i END, 700000000.0 + i * 1800, "
            "CASE WHEN i % 50 = 0 THEN '_float' ELSE 'Europe/Berlin' END, 700003600.0 + i * 1800, 'Europe/Berlin', "
            "CASE WHEN i % 50 = 0 THEN 1 ELSE 0 END, 1 + i % " +
            std::to_string(kCalendars) +
            ", 0, 0, 0, CASE WHEN i % 20 = 0 THEN 1 ELSE 0 END, 0, printf('%08X-0000-4000-8000-%012X', i, i), 2, "
            "699000000.0 FROM n");
    db.exec("INSERT INTO Recurrence(frequency, interval, week_start, count, owner_id) SELECT 2, 1, 0, 10, ROWID "
            "FROM CalendarItem WHERE ROWID % 20 = 0");
    db.exec("COMMIT");
    db.close();
}

/// Reads every row and column of the join through the library; returns the rows read.
std::size_t readWithLibrary(const std::filesystem::path& path) {
    sqlite3* db = nullptr;
    const std::string uri = immutableUri(path);
    if (sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", uri.c_str());
        std::exit(1);
    }
    const char* query =
        "SELECT i.summary, i.description, i.start_date, i.start_tz, i.end_date, i.end_tz, i.all_day, "
        "i.entity_type, i.priority, i.due_date, i.due_tz, i.due_all_day, i.completion_date, c.title, l.title, "
        "l.address, r.frequency, r.interval, r.count, r.end_date, r.specifier FROM CalendarItem i "
        "LEFT JOIN Calendar c ON c.ROWID = i.calendar_id LEFT JOIN Location l ON l.ROWID = i.location_id "
        "LEFT JOIN Recurrence r ON r.owner_id = i.ROWID";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &statement, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot prepare: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    std::size_t rows = 0, bytes = 0;
    double numbers = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        for (int column = 0; column < columns; ++column) {
            switch (sqlite3_column_type(statement, column)) {
            case SQLITE_TEXT:
                sqlite3_column_text(statement, column);
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
                break;
            case SQLITE_INTEGER: numbers += static_cast<double>(sqlite3_column_int64(statement, column)); break;
            case SQLITE_FLOAT: numbers += sqlite3_column_double(statement, column); break;
            default: break;
            }
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    g_sink = numbers + static_cast<double>(bytes);
    return rows;
}

std::size_t readWithDecoder(const std::filesystem::path& path) {
    CalendarItems items;
    if (decodeCalendar(path, {}, items) != kStatusOk) {
        std::fprintf(stderr, "decodeCalendar failed\n");
        std::exit(1);
    }
    return items.events.size();
}

double bestOf(int runs, const std::function<std::size_t()>& work, std::size_t& rows) {
    rows = work(); // warm-up: the file is in the page cache for both sides
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        rows = work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    int events = 100000;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--events") == 0) events = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    test::TempFolder temp("orvelle-bench-calendar");
    const auto path = temp / "Calendar.sqlitedb";
    generate(path, events);
    std::size_t decoderRows = 0, libraryRows = 0;
    const double decoder = bestOf(runs, [&] { return readWithDecoder(path); }, decoderRows);
    const double library = bestOf(runs, [&] { return readWithLibrary(path); }, libraryRows);
    std::printf("events: %d (file %.1f MB), best of %d runs\n", events,
                static_cast<double>(std::filesystem::file_size(path)) / 1048576.0, runs);
    std::printf("decodeCalendar: %8.1f ms  (%zu events)\n", decoder * 1000, decoderRows);
    std::printf("SQLite library: %8.1f ms  (%zu rows, every column read)\n", library * 1000, libraryRows);
    std::printf("ratio decoder / library: %.2f (target <= 2.00)\n", decoder / library);
    if (decoderRows != libraryRows) {
        std::fprintf(stderr, "row counts differ\n");
        return 1;
    }
    return 0;
}
