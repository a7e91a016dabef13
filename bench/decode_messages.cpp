// Messages decoder benchmark: an sms.db of 250,000 messages (5,000 handles,
// 20,000 attachments, every 50th message deleted) and an address book of
// 10,000 contacts.
//
// Each side runs in a child process of its own (so its peak resident memory
// is its own) and is timed inside it; nothing is printed while timed:
//   - decodeMessages: from its call to its return (live and carved rows of the
//     four tables, the address book, the joins, names resolved, sorted); the
//     results are then kept, as a caller would.
//   - reference, the SQLite library: from opening sms.db to closing the
//     address book, it prepares, steps and reads every column the decoder
//     reads, live rows only: message (ROWID, text, handle_id, attributedBody,
//     date, is_from_me), handle (ROWID, id), attachment (ROWID, filename),
//     message_attachment_join (message_id, attachment_id), and the address
//     book's full-text content (names, organisation, phones, e-mail, address,
//     social profile, URL). It does not join, sort or carve.
// The sides alternate which goes first; figures are medians of the runs
// (default 5). Also shown, labelled as such: the sqlite3 shell as a whole
// process printing a live-only join to /dev/null (the old yardstick).
//
// usage: bench_decode_messages [--messages N] [--runs N]

#include "BenchSupport.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/decoders/ContactLookup.h"
#include "sqlite_records/decoders/ContactsDecoder.h"
#include "sqlite_records/decoders/DateOrder.h"
#include "sqlite_records/decoders/MessagesDecoder.h"
#include "support/DeviceDb.h"
#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbSms.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvelle;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kHandles = 5000;
constexpr int kAttachments = 20000;
constexpr int kContacts = 10000;
constexpr int kDeleteEvery = 50;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double cpuSeconds() {
    return bench::processCpuSeconds();
}

std::string hex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        out += kHex[static_cast<unsigned char>(c) >> 4];
        out += kHex[static_cast<unsigned char>(c) & 0xf];
    }
    return out;
}

/// sms.db in the iOS 13 layout, filled by SQL so that 250,000 rows take seconds.
void generateSms(const std::filesystem::path& path, int messages) {
    test::SmsDb db(path, test::SmsLayout::ios13);
    db.exec("PRAGMA synchronous=OFF");
    // The archive of a text: the bytes before its length byte, and after the text.
    const std::string empty = test::attributedBodyArchive("");
    const std::size_t lengthAt = empty.find("\x84\x01+") + 3;
    const std::string prefix = hex(empty.substr(0, lengthAt));
    const std::string suffix = hex(empty.substr(lengthAt + 1));
    db.exec("BEGIN");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kHandles) +
            ") INSERT INTO handle(ROWID, id, country, service, uncanonicalized_id) "
            "SELECT i, printf('+1202555%04d', i - 1), 'us', 'SMS', printf('202555%04d', i - 1) FROM n");
    // Texts stay below 128 bytes, so the archive's length is one byte; one
    // message in ten keeps its text only in attributedBody.
    db.exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(messages) +
        "), t(i, body) AS (SELECT i, printf('Message %d: see you at %d:%02d, bring the %s', i, i % 24, i % "
        "60, "
        "CASE i % 3 WHEN 0 THEN 'keys' WHEN 1 THEN 'tickets' ELSE 'umbrella' END) FROM n) "
        "INSERT INTO message(ROWID, guid, text, handle_id, service, account, account_guid, date, date_read, "
        "is_delivered, is_finished, is_from_me, is_read, is_sent, attributedBody) "
        "SELECT i, printf('%08X-%04X-4%03X-8%03X-%012X', i * 2654435761 % 4294967296, i % 65536, i % 4096, "
        "i % 4096, i), CASE WHEN i % 10 = 3 THEN NULL ELSE body END, (i % " +
        std::to_string(kHandles) +
        ") + 1, 'SMS', 'p:0', 'A3B1C2D4-0000-4000-8000-000000000007', (599529600 + i * 60) * 1000000000, "
        "(599529600 + i * 60) * 1000000000, 1, 1, i % 2, 1 - i % 2, i % 2, "
        "CAST(X'" +
        prefix + "' || char(length(body)) || body || X'" + suffix + "' AS BLOB) FROM t");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kAttachments) +
            ") INSERT INTO attachment(ROWID, guid, original_guid, filename, mime_type, transfer_state, "
            "transfer_name) SELECT i, printf('at_0_%d', i), printf('at_0_%d', i), "
            "printf('~/Library/SMS/Attachments/%02x/IMG_%04d.JPG', i % 256, i), 'image/jpeg', 5, "
            "printf('IMG_%04d.JPG', i) FROM n");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kAttachments) +
            ") INSERT INTO message_attachment_join(message_id, attachment_id) SELECT (i * 12) % " +
            std::to_string(messages) + " + 1, i FROM n");
    db.exec("COMMIT");
    db.exec("DELETE FROM message WHERE ROWID % " + std::to_string(kDeleteEvery) + " = 0");
    db.close();
}

void generateAddressBook(const std::filesystem::path& path) {
    test::AddressBookDb db(path, test::AddressBookLayout::ios15);
    db.exec("PRAGMA synchronous=OFF");
    db.exec("BEGIN");
    db.exec(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(kContacts - 1) +
        ") INSERT INTO ABPerson(ROWID, First, Last, Kind, guid) SELECT i + 1, 'First' || i, 'Last' || i, 0, "
        "printf('%08X-0000-4000-8000-000000000000', i) FROM n");
    // Half the contacts have the numbers of the handles, in every written form.
    db.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kContacts - 1) +
            ") INSERT INTO ABPersonFullTextSearch_content(docid, c0First, c1Last, c16Phone, c17Email) "
            "SELECT i + 1, 'First' || i, 'Last' || i, printf('(%03d) 555-%04d +1%03d555%04d 0111%03d555%04d "
            "001%03d555%04d 1%03d555%04d %03d555%04d 555%04d ', 202 + i / 5000, i % 5000, 202 + i / 5000, "
            "i % 5000, 202 + i / 5000, i % 5000, 202 + i / 5000, i % 5000, 202 + i / 5000, i % 5000, "
            "202 + i / 5000, i % 5000, i % 5000), printf('person%d@example.com', i) FROM n");
    db.exec("COMMIT");
    db.close();
}

using Measurement = bench::ChildRun;

} // namespace

int main(int argc, char** argv) {
    int messages = 250000;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--messages") == 0) messages = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    }
    test::TempFolder temp("orvelle-bench-messages");
    const auto sms = temp / "sms.db";
    const auto book = temp / "AddressBook.sqlitedb";
    auto start = Clock::now();
    generateSms(sms, messages);
    generateAddressBook(book);
    std::printf(
        "generated %d messages (every %dth deleted), %d handles, %d attachments, %d contacts in %.1f s\n",
        messages, kDeleteEvery, kHandles, kAttachments, kContacts, seconds(start));
    const double smsMiB = std::filesystem::file_size(sms) / 1048576.0;
    const double bookMiB = std::filesystem::file_size(book) / 1048576.0;
    std::printf("sms.db %.1f MiB, AddressBook.sqlitedb %.1f MiB\n", smsMiB, bookMiB);

    const std::string query = "select m.ROWID, m.text, m.date, m.is_from_me, h.id from message m left join "
                              "handle h on m.handle_id = h.ROWID";
    const std::string shell = "sqlite3 -readonly '" + sms.string() + "' '" + query + "' >/dev/null";
    std::vector<Measurement> decoder, library, shellRuns;
    // The call's own times replace the child's (fork and exit left out).
    auto ownTimes = [](Measurement run) {
        int used = 0;
        if (std::sscanf(run.output.c_str(), "%lf %lf %n", &run.wallSeconds, &run.cpuSeconds, &used) == 2)
            run.output.erase(0, static_cast<std::size_t>(used));
        return run;
    };
    auto runDecoder = [&] {
        decoder.push_back(ownTimes(bench::runInChild([&] {
            // Timed from the call to its return; the results then stay with
            // the process as a caller would keep them (freeing 250,000
            // records is no part of decoding; the step list shows its cost).
            auto* conversations = new ConversationMap;
            std::uint64_t maxRowId = 0;
            DecodeReport report;
            const double cpuBefore = cpuSeconds();
            const auto start = Clock::now();
            const Status status =
                decodeMessages(sms, book, DecodeContext{}, *conversations, maxRowId, &report);
            const double wall = seconds(start);
            const double cpu = cpuSeconds() - cpuBefore;
            std::size_t named = 0;
            for (const auto& [key, list] : *conversations)
                for (const auto& m : list)
                    named += m.contactName.empty() ? 0 : 1;
            char line[256];
            std::snprintf(line, sizeof line,
                          "%.6f %.6f status %d, %llu live + %llu deleted messages, %zu conversations, "
                          "%zu with a contact name",
                          wall, cpu, status, static_cast<unsigned long long>(report.liveRows),
                          static_cast<unsigned long long>(report.deletedRows), conversations->size(), named);
            return std::string(line);
        })));
    };
    auto runLibrary = [&] {
        library.push_back(ownTimes(bench::runInChild([&] {
            const double cpuBefore = cpuSeconds();
            const auto start = Clock::now();
            const bench::LibraryRead messages = bench::readWithLibrary(
                sms.string(), {"select ROWID, text, handle_id, attributedBody, date, is_from_me from message",
                               "select ROWID, id from handle", "select ROWID, filename from attachment",
                               "select message_id, attachment_id from message_attachment_join"});
            const bench::LibraryRead contacts = bench::readWithLibrary(
                book.string(), {"select docid, c0First, c1Last, c6Organization, c16Phone, c17Email, c18Address, "
                                "c19SocialProfile, c20URL from ABPersonFullTextSearch_content"});
            const double wall = seconds(start);
            const double cpu = cpuSeconds() - cpuBefore;
            char line[160];
            std::snprintf(line, sizeof line, "%.6f %.6f %s, %llu rows read", wall, cpu,
                          messages.ok && contacts.ok ? "ok" : "FAILED",
                          static_cast<unsigned long long>(messages.rows + contacts.rows));
            return std::string(line);
        })));
    };
    for (int run = 0; run < runs; ++run) {
        // The sides alternate which goes first.
        if (run % 2 == 0)
            runDecoder(), runLibrary();
        else
            runLibrary(), runDecoder();
        shellRuns.push_back(bench::runProgram({"/bin/sh", "-c", shell}, true));
    }
    // Where the decoder's time goes, step by step (one run).
    const Measurement steps = bench::runInChild([&] {
        std::string out;
        char line[128];
        auto t = Clock::now();
        const auto step = [&](const char* name) {
            std::snprintf(line, sizeof line, "  %-34s %6.3f s\n", name, seconds(t));
            out += line;
            t = Clock::now();
        };
        SqliteFile file;
        file.open(sms);
        {
            // As the decoder asks: only its fields' columns.
            const TableColumns columns = messageColumns(file);
            ScanOptions live;
            live.carvedRows = false;
            live.freelistRows = false;
            live.valueColumns = columns.valueColumns();
            live.wantedColumns = columns.positions();
            scanTable(
                file, "message", [](const Row&) { return kStatusOk; }, live);
            step("(page reader alone, live rows)");
            ScanOptions all;
            all.valueColumns = live.valueColumns;
            all.wantedColumns = live.wantedColumns;
            scanTable(
                file, "message", [](const Row&) { return kStatusOk; }, all);
            step("(page reader alone, live + carved)");
        }
        ConversationMap conversations;
        decodeMessageRows(file, messageColumns(file),
                          [&](MessageRecord&& m) { conversations[m.handleId].push_back(std::move(m)); });
        step("message table (live + carved)");
        MessageTables tables;
        decodeHandleRows(file, handleColumns(file), tables.handles);
        decodeAttachmentRows(file, attachmentColumns(file), tables.attachments);
        decodeJoinRows(file, joinColumns(file), tables.joins);
        step("handle, attachment, join tables");
        SqliteFile bookFile;
        bookFile.open(book);
        std::vector<ContactRecord> rows;
        decodeContactRows(bookFile, rows);
        ContactLookup contacts(rows);
        step("address book");
        MessageJoin join(tables, &contacts);
        for (auto& [key, list] : conversations)
            for (auto& m : list)
                join.fill(m);
        step("joins and name look-ups");
        for (auto& [key, list] : conversations)
            list = sortedByDate(std::move(list));
        step("sort by date");
        conversations.clear();
        step("(freeing the results)");
        return out;
    });
    struct Figures {
        double wall, cpu, peakMiB;
    };
    const auto medians = [](const std::vector<Measurement>& all) {
        std::vector<double> wall, cpu;
        long peak = 0;
        for (const Measurement& m : all)
            wall.push_back(m.wallSeconds), cpu.push_back(m.cpuSeconds), peak = std::max(peak, m.peakKiB);
        return Figures{bench::median(wall), bench::median(cpu), peak / 1024.0};
    };
    const Figures ours = medians(decoder);
    const Figures theirs = medians(library);
    const Figures shellFigures = medians(shellRuns);
    std::printf("decodeMessages: %s\n", decoder.back().output.c_str());
    std::printf("library: %s\n", library.back().output.c_str());
    std::printf("steps:\n%s", steps.output.c_str());
    std::printf("%-58s %8s %8s %10s\n", "median of runs", "wall s", "cpu s", "peak MiB");
    std::printf("%-58s %8.3f %8.3f %10.1f\n", "decodeMessages (live + deleted, joined, names, sorted)", ours.wall,
                ours.cpu, ours.peakMiB);
    std::printf("%-58s %8.3f %8.3f %10.1f\n", "SQLite library reading the same columns (live only)",
                theirs.wall, theirs.cpu, theirs.peakMiB);
    std::printf("%-58s %8.3f %8.3f %10.1f\n", "(sqlite3 shell, live-only join > /dev/null, whole process)",
                shellFigures.wall, shellFigures.cpu, shellFigures.peakMiB);
    if (const char* keep = std::getenv("ORVELLE_BENCH_KEEP")) {
        std::filesystem::copy_file(sms, std::filesystem::path(keep) / "sms.db",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(book, std::filesystem::path(keep) / "AddressBook.sqlitedb",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::printf("time ratio decodeMessages / library: %.3f s / %.3f s = %.2f wall, %.2f cpu (target <= 2); "
                "peak memory %.2f x sms.db (target < 4)\n",
                ours.wall, theirs.wall, ours.wall / theirs.wall, ours.cpu / theirs.cpu, ours.peakMiB / smsMiB);
    std::printf("(old yardstick: / sqlite3 shell as a whole process = %.2f wall)\n", ours.wall / shellFigures.wall);
    return 0;
}
