#include "support/LargeBackup.h"

#include "support/BackupBuilder.h"
#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbCalls.h"
#include "support/DeviceDbNotes.h"
#include "support/DeviceDbSms.h"
#include "support/DeviceDbWhatsApp.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace orvelle::test {

namespace fs = std::filesystem;

namespace {

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int scaled(double scale, int count) {
    return std::max(1, static_cast<int>(count * scale));
}

} // namespace

void buildLargeBackup(const fs::path& folder, double scale) {
    TempFolder scratch("orvelle-bench-scan-db");
    BackupBuilder b;
    const std::int64_t t0 = 700000000;
    {
        SmsDb db(scratch / "sms.db", SmsLayout::ios14);
        for (int h = 0; h < 500; ++h)
            db.addHandle("+1202555" + std::to_string(1000 + h));
        for (int i = 0, n = scaled(scale, 250000); i < n; ++i) {
            SmsMessage m;
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
        AddressBookDb db(scratch / "ab.db", AddressBookLayout::ios15);
        for (int i = 0, n = scaled(scale, 10000); i < n; ++i) {
            Person p;
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
        CallHistoryDb db(scratch / "calls.db", CallHistoryLayout::callRecordIos17);
        for (int i = 0, n = scaled(scale, 50000); i < n; ++i) {
            Call c;
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
        NotesDb db(scratch / "notes.db");
        for (int i = 0, n = scaled(scale, 5000); i < n; ++i) {
            Note note;
            note.title = "Note " + std::to_string(i);
            note.modifiedAppleSeconds = t0 + i * 3600.0;
            db.addNote(note);
        }
        db.deleteWhere("ZNOTE", "Z_PK % 50 = 7");
        db.close();
        b.addFile("HomeDomain", "Library/Notes/notes.sqlite", contentOf(scratch / "notes.db"));
    }
    {
        WhatsAppDb db(scratch / "wa.db", WhatsAppLayout::ios15);
        for (int c = 0; c < 200; ++c)
            db.addChat(std::to_string(12025550000LL + c) + "@s.whatsapp.net", "Chat " + std::to_string(c));
        for (int i = 0, n = scaled(scale, 100000); i < n; ++i) {
            WhatsAppMessage m;
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
        const std::string bytes = mediaSample(i % 2 ? MediaSample::JpegExif : MediaSample::Png,
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

} // namespace orvelle::test
