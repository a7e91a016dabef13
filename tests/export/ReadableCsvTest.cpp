// The readable CSV files of an export: header, one quoted line per record,
// dates as the pages show them, the Deleted column.
#include "export/ReadableCsv.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(ReadableCsvTest, HeadersStartWithTheByteOrderMark) {
    EXPECT_EQ(messagesCsvHeader(), "\xEF\xBB\xBF" "Chat,Date,Direction,Name,Number,Text,Attachment,Deleted\r\n");
    EXPECT_EQ(callsCsvHeader(), "\xEF\xBB\xBF" "Name,Number,Date,Direction,State,Duration,Deleted\r\n");
    EXPECT_EQ(notesCsvHeader(), "\xEF\xBB\xBF" "Title,Date,Note,Deleted\r\n");
    EXPECT_EQ(contactsCsvHeader(),
              "\xEF\xBB\xBF" "Name,Phones,Email,Address,Home Page,Social,Company,Deleted\r\n");
}

TEST(ReadableCsvTest, RecordsBecomeQuotedLinesWithTheirDeletedMark) {
    MessageRecord m;
    m.deleted = kDeleted;
    m.date = "2024-05-01 10:00:00";
    m.address = "+15550100";
    m.contactName = "Unknown";
    m.text = "Hi, \"you\"\nthere";
    m.attachmentName = "~/Library/SMS/Attachments/4a/10/IMG_1.HEIC";
    EXPECT_EQ(messageCsvLine("Ann(+15550100)", m),
              "Ann(+15550100),2024-05-01 10:00:00,Received,,+15550100,\"Hi, \"\"you\"\"\nthere\",IMG_1.HEIC,yes\r\n");
    m.fromMe = 1;
    m.deleted = kLive;
    m.contactName = "Ann";
    m.attachmentName.clear();
    m.text = "ok";
    EXPECT_EQ(messageCsvLine("Ann", m), "Ann,2024-05-01 10:00:00,Sent,Ann,+15550100,ok,,no\r\n");

    WhatsAppMessageRecord w;
    w.date = "2024-05-02 11:00:00";
    w.senderName = "Priya";
    w.senderId = "14155550123";
    w.mediaKey = 4;
    w.text = "Media/120363@g.us/2/e/photo.jpg";
    EXPECT_EQ(whatsAppCsvLine("Hiking Club", w),
              "Hiking Club,2024-05-02 11:00:00,Received,Priya,14155550123,,photo.jpg,no\r\n");

    CallRecord call;
    call.incoming = 1;
    call.date = "2024-05-03 12:00:00";
    call.number = "+1";
    call.deleted = kDeleted;
    EXPECT_EQ(callCsvLine(call), ",+1,2024-05-03 12:00:00,Incoming,Missed,0 Sec,yes\r\n");

    NoteRecord note;
    note.title = "List";
    note.date = "2024-05-04 13:00:00";
    note.body = "milk\neggs";
    EXPECT_EQ(noteCsvLine(note), "List,2024-05-04 13:00:00,\"milk\neggs\",no\r\n");

    ContactRecord c;
    c.name = "Ann";
    c.phones = "1\n2";
    c.company = "A, B";
    EXPECT_EQ(contactCsvLine(c), "Ann,\"1\n2\",,,,,\"A, B\",no\r\n");
}

} // namespace
} // namespace orvelle
