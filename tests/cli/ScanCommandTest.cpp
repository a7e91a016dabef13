// End to end: orvelle scan on the demo backups, plain and encrypted.

#include "core/Categories.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::CliRun;
using test::TempFolder;

/// Category name, items, deleted records: what every scan of the demo finds.
const std::vector<std::tuple<std::string, int, int>> kExpectedCounts{{"camera-roll", 5, 0},
                                                                     {"photo-stream", 2, 0},
                                                                     {"app-photos", 2, 0},
                                                                     {"app-videos", 2, 0},
                                                                     {"messages", 2, 2},
                                                                     {"message-attachments", 4, 0},
                                                                     {"contacts", 6, 1},
                                                                     {"call-history", 8, 1},
                                                                     {"notes", 11, 3},
                                                                     {"whatsapp", 2, 1},
                                                                     {"whatsapp-attachments", 4, 0},
                                                                     {"reminder", 5, 1},
                                                                     {"calendar", 5, 1},
                                                                     {"safari-bookmark", 5, 1},
                                                                     {"qq", 2, 1},
                                                                     {"wechat", 2, 1}};

/// Samples of fields, one or more per category.
const std::vector<std::string> kExpectedFields{
    R"("name":"IMG_0002.JPG")",
    R"("appName":"example.recorder","name":"memo.MP3")",
    R"({"key":2,"summary":{"deleted":1)",
    R"("deleted":1,"fromMe":0,"rowId":0,"handleId":2,"date":"2024-05-11 08:00:00","address":"+12025550199","contactName":"James Chen","text":"Delete me later")",
    R"({"deleted":0,"fromMe":0,"rowId":13,"handleId":1,"date":"2024-05-11 12:00:00","address":"+12025550143","contactName":"Maria Lopez","text":"On my way, see you at the station")",
    R"({"deleted":1,"fromMe":1,"rowId":14,"handleId":2,"date":"2024-05-11 13:00:00","address":"+12025550199","contactName":"James Chen","text":"Sent to the wrong person, sorry")",
    R"("phones":"+13035550188","company":"","name":"Old Friend"})",
    R"({"deleted":1,"incoming":0,"duration":165,"date":"2024-05-11 06:00:00","number":"+13035550188","contactName":"Old Friend"})",
    R"("title":"Passwords hint")",
    R"("title":"Packing list","body":"Packing list\nPassport\nCharger\n[Image: IMG_0420.jpg]","folder":"Notes")",
    R"("title":"Door codes","body":"","folder":"Notes","created":"2024-05-14 00:00:00","locked":1})",
    R"("text":"WhatsApp demo message 3")",
    R"("chatTitle":"Hiking Club")",
    R"("name":"4a1f0c2e-photo.JPG")",
    R"({"deleted":1,"completed":0,"priority":0,"title":"Forgotten errand","due":"","completedDate":"","list":"Errands","notes":""})",
    R"({"deleted":1,"allDay":0,"title":"Cancelled lunch","start":"2024-05-13 10:00:00","end":"2024-05-13 11:00:00","location":"","notes":"","calendar":"Home","recurrence":""})",
    R"("title":"Team meeting","start":"2024-05-14 10:00:00","end":"2024-05-14 11:00:00","location":"","notes":"","calendar":"Work","recurrence":"FREQ=WEEKLY;INTERVAL=1"})",
    R"({"deleted":1,"readingList":0,"title":"Old recipe site","url":"https://old-recipes.example/","folder":"BookmarksMenu/Recipes"})",
    R"({"deleted":0,"readingList":1,"title":"A long article","url":"https://news.example/long-article","folder":"Reading List"})",
    R"({"account":"10001","partner":"30003","summary":{"deleted":1,"fromMe":1,"rowId":3,"handleId":0,"date":"2024-05-11 00:12:00","address":"30003")",
    R"({"deleted":1,"fromMe":1,"rowId":0,"handleId":0,"date":"2024-05-11 00:11:00","address":"30003","contactName":"","text":"QQ demo: deleted reply")",
    R"({"account":"User1","partner":"wxid_chen","summary":{"deleted":1)",
    R"("address":"wxid_chen","contactName":"陈静","text":"WeChat demo: 周末一起吃饭吗?")",
    R"("date":"2024-05-11 00:31:00","address":"wxid_chen","contactName":"陈静","text":"WeChat demo: deleted answer")",
    R"({"account":"User1","partner":"wxid_maria","summary":{"deleted":0)"};

void expectDemoScan(const CliRun& run) {
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind(R"({"status":0,"stopped":false,"categories":{)", 0), 0u)
        << run.out.substr(0, 200);
    for (const auto& [name, count, deleted] : kExpectedCounts) {
        const bool scanned = categoryByCliName(name)->kind != ItemKind::None;
        EXPECT_NE(run.out.find("\"" + name + "\":{\"status\":\"" + (scanned ? "found" : "not scanned") +
                               "\",\"count\":" + std::to_string(count) + ",\"deleted\":" +
                               std::to_string(deleted) + ",\"items\":["),
                  std::string::npos)
            << name;
    }
    for (const auto& field : kExpectedFields)
        EXPECT_NE(run.out.find(field), std::string::npos) << field;
}

TEST(ScanCommand, PlainDemoBackupJson) {
    TempFolder temp;
    test::makeDemoBackups(temp / "root");
    const auto folder = temp / "root" / std::string(test::kDemoRecentFolder);
    expectDemoScan(test::orvelle(temp, {"scan", "--json", test::arg(folder)}));
    const CliRun table = test::orvelle(temp, {"scan", "--categories", "contacts,notes", test::arg(folder)});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    std::string words; // the table with runs of blanks made one
    for (const char c : table.out)
        if (c != ' ' || (!words.empty() && words.back() != ' ')) words += c;
    EXPECT_NE(words.find("Contacts 6 1 6 found\nNotes 11 3 11 found\n"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("Camera Roll"), std::string::npos);
}

TEST(ScanCommand, EncryptedDemoBackupJsonWithThePasswordOnStandardInput) {
    TempFolder temp;
    const auto folder = test::makeEncryptedDemoBackup(temp / "root");
    const CliRun run = test::orvelle(temp, {"scan", "--json", "--password-stdin", test::arg(folder)}, {},
                                     std::string(test::kDemoPassword));
    expectDemoScan(run);
    const CliRun wrong = test::orvelle(temp, {"scan", "--password-stdin", test::arg(folder)}, {}, "wrong");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.out.empty());
}

TEST(ScanCommand, AnUnknownCategoryIsAUsageError) {
    TempFolder temp;
    test::makeDemoBackups(temp / "root");
    const CliRun run = test::orvelle(temp, {"scan", "--categories", "contacts,faxes",
                                            test::arg(temp / "root" / std::string(test::kDemoRecentFolder))});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("faxes"), std::string::npos);
}

} // namespace
} // namespace orvelle
