// A full scan of a large generated backup: 50,000 media files, 250,000
// messages, 10,000 contacts, 50,000 calls, 5,000 notes and 100,000 WhatsApp
// messages (about 2% of each database's rows deleted). Reports the scan's
// wall time and peak memory (in a child process of its own), the share of
// each category (one scan per category, the open subtracted), and the time
// `cat` needs to read every file the scan reads (warm cache).
//
//   bench_scan [SCALE]           (default 1.0: the sizes above)
//   bench_scan --scan FOLDER [CATEGORY]    (the child: one scan, prints seconds and peak KiB)

#include "backup/BackupCatalogue.h"
#include "backup/BackupStore.h"
#include "core/Categories.h"
#include "scan/ScanRun.h"
#include "support/BackupBuilder.h"
#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbCalls.h"
#include "support/DeviceDbNotes.h"
#include "support/DeviceDbSms.h"
#include "support/DeviceDbWhatsApp.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace orvelle;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int scaled(double scale, int count) {
    return std::max(1, static_cast<int>(count * scale));
}

void buildBackup(const fs::path& folder, double scale) {
    test::TempFolder scratch("orvelle-bench-scan-db");
    test::BackupBuilder b;
    const std::int64_t t0 = 700000000;
    {
        test::SmsDb db(scratch / "sms.db", test::SmsLayout::ios14);
        for (int h = 0; h < 500; ++h)
            db.addHandle("+1202555" + std::to_string(1000 + h));
        for (int i = 0, n = scaled(scale, 250000); i < n; ++i) {
            test::SmsMessage m;
            m.text = "Message number " + std::to_string(i) + " with some ordinary text in it";
            m.handleId = 1 + i % 500;
            m.fromMe = i % 3 == 0;
            m.appleSeconds = t0 + i * 30;
            db.addMessage(m);
        }
        db.deleteWhere("message", "ROWID % 50 = 7");
        db.close();
        b.addFile("HomeDomain", "Library/SMS/sms.db", contentOf(scratch / "sms.db"));
    }
    {
        test::AddressBookDb db(scratch / "ab.db", test::AddressBookLayout::ios15);
        for (int i = 0, n = scaled(scale, 10000); i < n; ++i) {
            test::Person p;
            p.first = "Person";
            p.last = std::to_string(100000 + i);
            p.phones = {"(202) 555-" + std::to_string(1000 + i % 500)};
            db.addPerson(p);
        }
        db.deleteWhere("ABPersonFullTextSearch_content", "docid % 50 = 7");
        db.close();
        b.addFile("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb", contentOf(scratch / "ab.db"));
    }
    {
        test::CallHistoryDb db(scratch / "calls.db", test::CallHistoryLayout::callRecordIos17);
        for (int i = 0, n = scaled(scale, 50000); i < n; ++i) {
            test::Call c;
            c.number = "+1202555" + std::to_string(1000 + i % 500);
            c.appleSeconds = t0 + i * 60.0;
            c.incoming = i % 2;
            db.addCall(c);
        }
        db.deleteWhere(db.table(), "Z_PK % 50 = 7");
        db.close();
        b.addFile("HomeDomain", "Library/CallHistoryDB/CallHistory.storedata",
                  contentOf(scratch / "calls.db"));
    }
    {
        test::NotesDb db(scratch / "notes.db");
        for (int i = 0, n = scaled(scale, 5000); i < n; ++i) {
            test::Note note;
            note.title = "Note " + std::to_string(i);
            note.modifiedAppleSeconds = t0 + i * 3600.0;
            db.addNote(note);
        }
        db.deleteWhere("ZNOTE", "Z_PK % 50 = 7");
        db.close();
        b.addFile("HomeDomain", "Library/Notes/notes.sqlite", contentOf(scratch / "notes.db"));
    }
    {
        test::WhatsAppDb db(scratch / "wa.db", test::WhatsAppLayout::ios15);
        for (int c = 0; c < 200; ++c)
            db.addChat(std::to_string(12025550000LL + c) + "@s.whatsapp.net", "Chat " + std::to_string(c));
        for (int i = 0, n = scaled(scale, 100000); i < n; ++i) {
            test::WhatsAppMessage m;
            m.chat = 1 + i % 200;
            m.fromMe = i % 2;
            m.text = "WhatsApp message " + std::to_string(i);
            m.appleSeconds = t0 + i * 20.0;
            db.addMessage(m);
        }
        db.deleteWhere("ZWAMESSAGE", "Z_PK % 50 = 7");
        db.close();
        b.addFile("AppDomainGroup-group.net.whatsapp.WhatsApp.shared", "ChatStorage.sqlite",
                  contentOf(scratch / "wa.db"));
    }
    // Media: camera roll, message attachments, app files and WhatsApp media, 2-4 KiB each.
    const int media = scaled(scale, 50000);
    for (int i = 0; i < media; ++i) {
        const std::string n = std::to_string(i);
        const std::string bytes =
            test::mediaSample(i % 2 ? test::MediaSample::JpegExif : test::MediaSample::Png,
                              2048 + (i % 3) * 1024, static_cast<std::uint32_t>(i + 1));
        switch (i % 4) {
        case 0:
            b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_" + n + ".JPG", bytes);
            break;
        case 1:
            b.addFile("MediaDomain", "Library/SMS/Attachments/00/" + n + "/IMG_" + n + ".JPG", bytes);
            break;
        case 2:
            b.addFile("AppDomain-com.example.app" + std::to_string(i % 20), "Documents/p" + n + ".png",
                      bytes);
            break;
        default:
            b.addFile("AppDomainGroup-group.net.whatsapp.WhatsApp.shared",
                      "Message/Media/x@s.whatsapp.net/" + n + ".jpg", bytes);
        }
    }
    b.build(folder);
}

/// The child: one scan of `folder` (all categories, or one), timed.
int scanChild(const fs::path& folder, const std::string& only) {
    BackupStore store({{}, fs::temp_directory_path() / "orvelle-bench-scan-data"});
    ScanRequest request;
    if (readBackupFolder(folder, request.backup) != kStatusOk) return 1;
    if (only == "all")
        request.categories = allScanCategories();
    else if (only != "none")
        request.categories = {categoryByCliName(only)->kind};
    ScanRun run(store);
    const auto start = Clock::now();
    run.start(request);
    run.wait();
    const double seconds = since(start);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::cout << seconds << ' ' << usage.ru_maxrss << ' ' << run.count(ItemKind::Messages) << '\n';
    return 0;
}

struct ChildResult {
    double seconds = 0;
    long peakKiB = 0;
};

ChildResult runChild(const std::string& self, const fs::path& folder, const std::string& category) {
    const std::string command = "'" + self + "' --scan '" + folder.string() + "' " + category;
    FILE* pipe = ::popen(command.c_str(), "r");
    ChildResult result;
    long chats = 0;
    if (pipe && std::fscanf(pipe, "%lf %ld %ld", &result.seconds, &result.peakKiB, &chats) != 3)
        std::cerr << "child failed: " << command << '\n';
    if (pipe) ::pclose(pipe);
    return result;
}

double catSeconds(const fs::path& folder) {
    const std::string command = "find '" + folder.string() + "' -type f -print0 | xargs -0 cat > /dev/null";
    std::system(command.c_str()); // warm
    const auto start = Clock::now();
    std::system(command.c_str());
    return since(start);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--scan") return scanChild(argv[2], argc > 3 ? argv[3] : "all");
    const double scale = argc > 1 ? std::stod(argv[1]) : 1.0;
    test::TempFolder temp("orvelle-bench-scan");
    const fs::path folder = temp / "backup";
    std::cerr << "building the backup (scale " << scale << ")...\n";
    auto start = Clock::now();
    buildBackup(folder, scale);
    std::cerr << "built in " << since(start) << " s\n";

    const double cat = catSeconds(folder);
    runChild(argv[0], folder, "all"); // warm
    ChildResult best{1e9, 0};
    for (int round = 0; round < 3; ++round) {
        const ChildResult r = runChild(argv[0], folder, "all");
        if (r.seconds < best.seconds) best = r;
    }
    const ChildResult open = runChild(argv[0], folder, "none");
    std::cout << "full scan: " << best.seconds << " s, peak memory " << best.peakKiB / 1024 << " MiB\n"
              << "cat of every file: " << cat << " s (scan / cat = " << best.seconds / cat << ")\n"
              << "open (manifest): " << open.seconds << " s\n";
    for (const char* category : {"camera-roll", "messages", "message-attachments", "contacts", "call-history",
                                 "notes", "app-photos", "whatsapp"}) {
        const ChildResult r = runChild(argv[0], folder, category);
        const double own = std::max(0.0, r.seconds - open.seconds);
        std::printf("  %-20s %7.3f s  %5.1f%%  peak %ld MiB\n", category, own, 100.0 * own / best.seconds,
                    r.peakKiB / 1024);
    }
    return 0;
}
