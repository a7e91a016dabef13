#include "export/ExportJob.h"

#include "export/ReadableCsv.h"
#include "platform/PathText.h"
#include "scan/SelectionTally.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

/// Copies as the scan source does: 64 KiB chunks, a report after each, a
/// closing report when a copy ends with an error; dumps write a marker line.
class FakeSource : public ExportSource {
public:
    Status copyFile(const fs::path& source, platform::OutputFile&, const fs::path& destination,
                    FileProgressFn progress, void* context) override {
        std::string data;
        try {
            data = test::readFile(source);
        } catch (...) {
            progress(context, 100, kStatusInvalid, destination);
            return kStatusInvalid;
        }
        constexpr std::size_t kChunk = 64 * 1024;
        std::ofstream out(destination, std::ios::binary | std::ios::trunc);
        for (std::size_t done = 0; done < data.size();) {
            const std::size_t n = std::min(kChunk, data.size() - done);
            out.write(data.data() + done, static_cast<std::streamsize>(n));
            done += n;
            const int answer = progress(context, static_cast<int>(done * 100 / data.size()), 0, destination);
            if (answer != 0) {
                progress(context, 100, answer, destination);
                return answer;
            }
        }
        return kStatusOk;
    }
    Status exportDeletedMessages(const fs::path& output) override {
        ++messageDumps;
        test::writeFile(output, "message rows\r\n");
        return kStatusOk;
    }
    Status exportDeletedContacts(const fs::path& output) override {
        ++contactDumps;
        test::writeFile(output, "contact rows\r\n");
        return kStatusOk;
    }
    int messageDumps = 0;
    int contactDumps = 0;
};

/// Records finished files; can ask for a stop once a number of them are done.
class Observer : public ExportObserver {
public:
    void stopAfter(WorkerControl& control, std::size_t files) {
        m_control = &control;
        m_stopAfter = files;
    }
    void fileFinished(const fs::path& file, Status status, const std::string& text) override {
        rows.push_back({file, status, text});
        if (m_control && rows.size() == m_stopAfter) m_control->requestStop();
    }
    void exportProgress(const ExportProgress& p) override { last = p; }
    std::vector<ExportFailure> rows;
    ExportProgress last;

private:
    WorkerControl* m_control = nullptr;
    std::size_t m_stopAfter = 0;
};

constexpr const char* kStamp = "20240102030405";

class ExportJobTest : public ::testing::Test {
protected:
    ExportJobTest() {
        templates.callHistory = {"<calls>", "</calls>"};
        templates.notes = {"<notes>", "</notes>"};
        templates.contacts = {"<contacts>", "</contacts>"};
        templates.sms = {"<sms>{|person|}\n", "</sms>"};
        templates.whatsApp = {"<wa>{|person|}\n", "</wa>"};
    }

    MediaFileRecord stored(const std::string& name, const std::string& content) {
        const fs::path path = backup / ("stored" + std::to_string(m_next++));
        test::writeFile(path, content);
        return {static_cast<std::uint32_t>(content.size()), name, path.string()};
    }

    /// Prepares and adds every category that has something, then exports.
    ExportSummary exportAll(Observer* observer = nullptr, std::size_t stopAfter = 0) {
        for (const auto& c : kCategories) {
            if (c.kind == ItemKind::None) continue;
            results.prepare(c.kind);
            tally.addCategory(c.kind, results);
        }
        return run(observer, stopAfter);
    }

    ExportSummary run(Observer* observer = nullptr, std::size_t stopAfter = 0) {
        ExportJob job(results, tally, source, templates, {dest.path(), kStamp});
        Observer own;
        if (!observer) observer = &own;
        if (stopAfter) observer->stopAfter(job.control(), stopAfter);
        job.setObserver(observer);
        return job.run();
    }

    /// Every file below the destination, relative to it.
    std::set<std::string> files() const {
        std::set<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(dest.path()))
            if (e.is_regular_file()) out.insert(fs::relative(e.path(), dest.path()).generic_string());
        return out;
    }

    std::string read(const std::string& relative) const { return test::readFile(dest / relative); }

    test::TempFolder backup{"orvelle-backup"};
    test::TempFolder dest{"orvelle-export"};
    ScanResults results;
    SelectionTally tally;
    FakeSource source;
    ExportTemplates templates;

private:
    int m_next = 0;
};

TEST_F(ExportJobTest, SameNamesGetNumberedAndNothingExistingIsReplaced) {
    test::writeFile(dest / "Camera Roll/OLD.JPG", "was here");
    test::writeFile(dest / "Message/sms.csv", "older export");
    const std::string big(70000, 'x'); // two chunks
    results.cameraRoll = {stored("N.JPG", "first"), stored("N.JPG", big), stored("OLD.JPG", "new"),
                          stored("empty.png", "")};
    results.messageChats[4] = {MessageRecord{}};
    Observer observer;
    const ExportSummary summary = exportAll(&observer);

    EXPECT_EQ(read("Camera Roll/N.JPG"), "first");
    EXPECT_EQ(read("Camera Roll/N(1).JPG"), big);
    EXPECT_EQ(read("Camera Roll/OLD.JPG"), "was here");
    EXPECT_EQ(read("Camera Roll/OLD(1).JPG"), "new");
    EXPECT_TRUE(fs::exists(dest / "Camera Roll/empty.png"));
    EXPECT_EQ(read("Message/sms.csv"), "older export");
    EXPECT_EQ(read("Message/sms(1).csv"), "message rows\r\n");
    EXPECT_EQ(summary.done, 5u);
    EXPECT_EQ(summary.expected, 5u);
    EXPECT_EQ(summary.failed, 0u);
    ASSERT_EQ(observer.rows.size(), 5u);
    EXPECT_EQ(observer.rows[1].file, dest / "Camera Roll/N(1).JPG");
    EXPECT_EQ(observer.rows[1].text, "Success");
    EXPECT_EQ(observer.last.done, 5u);
}

TEST_F(ExportJobTest, TwoUnknownChatsShareAFolderAndNumberTheirFiles) {
    MessageRecord a, b;
    a.handleId = 1;
    a.text = "first chat";
    b.handleId = 2;
    b.fromMe = 1;
    b.text = "second chat";
    results.messageChats[1] = {a};
    results.messageChats[2] = {b};
    exportAll();
    const std::string folder = std::string("Message/Unknown-") + kStamp + "/";
    EXPECT_EQ(files(), (std::set<std::string>{folder + "Unknown.txt", folder + "Unknown.html",
                                              folder + "Unknown(1).txt", folder + "Unknown(1).html",
                                              "Message/sms.csv", "Message/Messages.csv", "index.html"}));
    EXPECT_EQ(read(folder + "Unknown.html"),
              "<sms>Name: Unknown, Phone: \n<div class=\"date\">Date:  :</div>\r\n<div "
              "class=\"recv_msg\">first chat</div>\r\n</sms>");
    EXPECT_NE(read(folder + "Unknown(1).txt").find("   Content: second chat\r\n"), std::string::npos);
    EXPECT_EQ(source.messageDumps, 1);
}

TEST_F(ExportJobTest, ANonAsciiChatNameInAPathLongerThan260CharactersIsWritten) {
    // Long chat names make paths past the old 260-character limit of Windows.
    std::string name;
    while (name.size() < 150) name += "Zoë Ångström 张伟 ";
    MessageRecord message;
    message.handleId = 7;
    message.contactName = name;
    message.address = "+12025550143";
    message.text = "héllo";
    results.messageChats[7] = {message};
    exportAll();
    bool longPathWritten = false;
    std::string written; // shown when the page is missing
    for (const auto& entry : fs::recursive_directory_iterator(dest.path())) {
        written += platform::pathText(entry.path()) + "\n";
        if (!entry.is_regular_file() || entry.path().extension() != ".html" ||
            entry.path().filename() == "index.html")
            continue;
        EXPECT_GT(entry.path().native().size(), 260u);
        EXPECT_NE(test::readFile(entry.path()).find("héllo"), std::string::npos);
        EXPECT_NE(entry.path().filename().u8string().find(u8"张伟"), std::u8string::npos);
        longPathWritten = true;
    }
    EXPECT_TRUE(longPathWritten) << written;
}

TEST_F(ExportJobTest, OnlyPhotosTickedWritesNoDocumentsAndNoDump) {
    results.cameraRoll = {stored("a.jpg", "A")};
    results.messageChats[1] = {MessageRecord{}};
    results.contacts.resize(1);
    results.calls.resize(1);
    results.notes.resize(1);
    results.whatsAppChats[1] = {WhatsAppMessageRecord{}};
    for (const auto& c : kCategories) {
        if (c.kind == ItemKind::None) continue;
        results.prepare(c.kind);
        tally.addCategory(c.kind, results);
    }
    tally.select(&results.messageSummaries, false);
    tally.select(&results.contacts, false);
    tally.select(&results.calls, false);
    tally.select(&results.notes, false);
    tally.select(&results.whatsAppSummaries, false);
    const ExportSummary summary = run();
    EXPECT_EQ(files(), (std::set<std::string>{"Camera Roll/a.jpg", "index.html"}));
    EXPECT_EQ(summary.expected, 1u);
    EXPECT_EQ(source.messageDumps + source.contactDumps, 0);
}

TEST_F(ExportJobTest, TableDocumentsGatherOneRowPerItemAndNameTheDocument) {
    results.contacts.resize(2);
    results.contacts[0].name = "Ann";
    results.contacts[0].phones = "1\n2";
    results.contacts[1].name = "Bo";
    results.calls.resize(1);
    results.calls[0].incoming = 1;
    results.notes.resize(1);
    results.notes[0].title = "T";
    Observer observer;
    const ExportSummary summary = exportAll(&observer);
    const std::string contacts = std::string("Contacts/") + kStamp + "/Contacts.html";
    EXPECT_EQ(read(contacts),
              "<contacts>\t<tr><td>Ann</td><td>1<br />2</td><td></td><td></td><td></td><td></td>"
              "<td></td></tr>\r\n\t<tr><td>Bo</td><td></td><td></td><td></td><td></td><td></td>"
              "<td></td></tr>\r\n</contacts>");
    EXPECT_EQ(read(std::string("Contacts/") + kStamp + "/Contacts.csv"), "contact rows\r\n");
    EXPECT_EQ(read(std::string("CallHistory/CallHistory_") + kStamp + ".html"),
              "<calls>\t<tr><td></td><td></td><td></td><td>Incoming</td><td>Missed</td><td>0 Sec</td></tr>\r\n"
              "</calls>");
    EXPECT_EQ(read(std::string("Notes/Notes_") + kStamp + ".html"),
              "<notes>\t<tr><td>T</td><td></td><td></td></tr>\r\n</notes>");
    ASSERT_EQ(observer.rows.size(), 4u);
    EXPECT_EQ(observer.rows[0].file, dest / contacts);
    EXPECT_EQ(observer.rows[1].file, dest / contacts);
    EXPECT_EQ(summary.done, 4u);
}

TEST_F(ExportJobTest, AStoppedExportStillWritesTheGatheredDocuments) {
    results.cameraRoll = {stored("a.jpg", "A")};
    results.contacts.resize(2);
    results.calls.resize(3);
    results.notes.resize(1);
    // Stop once the first call row is finished: camera roll, 2 contacts, 1 call.
    const ExportSummary summary = exportAll(nullptr, 4);
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.done, 4u);
    EXPECT_EQ(summary.expected, 7u);
    const std::string calls = read(std::string("CallHistory/CallHistory_") + kStamp + ".html");
    EXPECT_EQ(calls,
              "<calls>\t<tr><td></td><td></td><td></td><td>Outgoing</td><td>Canceled</td><td>0 Sec</td></tr>\r\n"
              "</calls>");
    EXPECT_TRUE(fs::exists(dest / "Contacts" / kStamp / "Contacts.html"));
    EXPECT_TRUE(fs::exists(dest / "Contacts" / kStamp / "Contacts.csv"));
    EXPECT_FALSE(fs::exists(dest / "Notes")) << "nothing was gathered for notes";
}

TEST_F(ExportJobTest, AStopDuringACopyRemovesThePartialFileAndStartsNothingElse) {
    results.cameraRoll = {stored("big.mov", std::string(200000, 'v')), stored("next.jpg", "n")};
    Observer observer;
    ExportJob job(results, tally, source, templates, {dest.path(), kStamp});
    for (ItemKind kind : {ItemKind::CameraRoll})
        tally.addCategory(kind, results);
    struct StopMidCopy : ExportObserver {
        WorkerControl* control;
        void exportProgress(const ExportProgress& p) override {
            if (p.percent > 0 && p.percent < 100) control->requestStop();
        }
    } stopper;
    stopper.control = &job.control();
    job.setObserver(&stopper);
    const ExportSummary summary = job.run();
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.done, 0u);
    EXPECT_EQ(files(), (std::set<std::string>{"index.html"})) << "only the index of what was written";
    EXPECT_TRUE(job.control().finished());
}

TEST_F(ExportJobTest, FailedCopiesAreReportedWithTheirMessageAndLeaveNoFile) {
    results.cameraRoll = {{10, "gone.jpg", (backup / "missing").string()}, stored("ok.jpg", "ok")};
    Observer observer;
    const ExportSummary summary = exportAll(&observer);
    EXPECT_EQ(summary.done, 2u);
    EXPECT_EQ(summary.failed, 1u);
    ASSERT_EQ(summary.failures.size(), 1u);
    EXPECT_EQ(summary.failures[0].text, "The parameter is incorrect.");
    EXPECT_EQ(observer.rows[0].text, "The parameter is incorrect.");
    EXPECT_EQ(files(), (std::set<std::string>{"Camera Roll/ok.jpg", "index.html"}));
}

TEST_F(ExportJobTest, AppFilesGoWhereTheirContentSaysPicturesVideosAndSounds) {
    results.appFiles = {{1, "recorder", "memo.MP3", stored("a", "1").storedPath},
                        {1, "recorder", "take.MOV", stored("b", "2").storedPath},
                        {1, "recorder", "cover.JPG", stored("c", "3").storedPath},
                        {1, "synth", "tune.MID", stored("d", "4").storedPath}};
    const ExportSummary summary = exportAll();
    EXPECT_EQ(summary.done, 4u);
    const auto written = files();
    for (const char* file : {"App Audio/recorder/memo.MP3", "App Video/recorder/take.MOV",
                             "App Photos/recorder/cover.JPG", "App Audio/synth/tune.MID"})
        EXPECT_EQ(written.count(file), 1u) << file;
    EXPECT_EQ(written.count("App Video/recorder/memo.MP3"), 0u);
}

TEST_F(ExportJobTest, ChatPagesLinkTheAttachmentsThisExportCopied) {
    const MediaFileRecord picture = stored("IMG_1.JPG", "jpeg");
    results.messageAttachments = {{4, "IMG_1.JPG", picture.storedPath}};
    MessageRecord m;
    m.handleId = 2;
    m.contactName = "Ann";
    m.address = "+1";
    m.text = "look";
    m.attachmentName = "~/Library/SMS/Attachments/4a/10/IMG_1.HEIC";
    MessageRecord gone = m;
    gone.deleted = kDeleted;
    gone.attachmentName = "~/Library/SMS/Attachments/0e/voice.caf";
    results.messageChats[2] = {m, gone};
    exportAll();
    const std::string page = read(std::string("Message/Ann-") + kStamp + "/Ann(+1).html");
    EXPECT_NE(page.find("<img src=\"../../Message%20Attachments/IMG_1.JPG\""), std::string::npos) << page;
    EXPECT_NE(page.find("Attachment: voice.caf"), std::string::npos) << "not exported: named";
    EXPECT_EQ(read("Message Attachments/IMG_1.JPG"), "jpeg");
    // The readable CSV beside the row dump.
    EXPECT_EQ(read("Message/Messages.csv"), messagesCsvHeader() + messageCsvLine("Ann(+1)", m) +
                                                messageCsvLine("Ann(+1)", gone));
    EXPECT_EQ(read("Message/sms.csv"), "message rows\r\n");
}

TEST_F(ExportJobTest, TheIndexPageLeadsToEveryDocumentFolderAndCopy) {
    results.cameraRoll = {stored("IMG_1.JPG", "A")};
    results.calls.resize(2);
    results.calls[1].deleted = kDeleted;
    results.notes.resize(1);
    results.notes[0].title = "T";
    results.contacts.resize(1);
    WhatsAppMessageRecord w;
    w.chatKey = 3;
    w.chatNames = "Bo";
    w.chatIds = "4917";
    w.deleted = kDeleted;
    results.whatsAppChats[3] = {w};
    templates.index = {"<index>", "</index>"};
    ExportJob job(results, tally, source, templates,
                  {dest.path(), kStamp, "Ann's iPhone", "2024-05-01 10:00:00", {{ItemKind::Notes, "found"}}});
    for (const auto& c : kCategories) {
        if (c.kind == ItemKind::None) continue;
        results.prepare(c.kind);
        tally.addCategory(c.kind, results);
    }
    job.run();
    const std::string index = read("index.html");
    EXPECT_EQ(index.rfind("<index>", 0), 0u);
    EXPECT_NE(index.find("<td>Ann&#39;s iPhone</td>"), std::string::npos);
    EXPECT_NE(index.find("<td>2024-05-01 10:00:00</td>"), std::string::npos);
    EXPECT_NE(index.find("<td>2024-01-02 03:04:05</td>"), std::string::npos) << "exported at the stamp";
    EXPECT_NE(index.find("<td>Call History</td><td>2</td><td>1</td>"), std::string::npos) << index;
    EXPECT_NE(index.find("<td>WhatsApp</td><td>1</td><td>1</td>"), std::string::npos);
    EXPECT_NE(index.find("<td>found</td>"), std::string::npos) << "the category's status has its place";
    EXPECT_NE(index.find("<img src=\"Camera%20Roll/IMG_1.JPG\""), std::string::npos);
    // Every document written is linked, relative to the root.
    for (const std::string& file : files()) {
        if (file == "index.html" || file.rfind("Camera Roll/", 0) == 0 || file.ends_with(".txt") ||
            (file.ends_with(".csv") && file.find("WhatsApp Message/Bo") == 0))
            continue;
        std::string link;
        for (const char c : file)
            link += c == ' ' ? std::string("%20") : c == '(' ? std::string("%28")
                                                   : c == ')' ? std::string("%29")
                                                              : std::string(1, c);
        EXPECT_NE(index.find("href=\"" + link + "\""), std::string::npos) << file;
    }
    EXPECT_EQ(read(std::string("CallHistory/CallHistory_") + kStamp + ".csv"),
              callsCsvHeader() + callCsvLine(results.calls[0]) + callCsvLine(results.calls[1]));
    EXPECT_EQ(read(std::string("Notes/Notes_") + kStamp + ".csv"), notesCsvHeader() + noteCsvLine(results.notes[0]));
    EXPECT_EQ(read(std::string("Contacts/") + kStamp + "/Contact list.csv"),
              contactsCsvHeader() + contactCsvLine(results.contacts[0]));
    EXPECT_EQ(read("WhatsApp Message/WhatsApp.csv"), whatsAppCsvHeader() + whatsAppCsvLine("Bo(4917)", w));
}

TEST_F(ExportJobTest, HiddenItemsAreNeitherExportedNorExpected) {
    results.calls.resize(3);
    results.calls[1].deleted = kDeleted;
    results.prepare(ItemKind::CallHistory);
    tally.addCategory(ItemKind::CallHistory, results);
    static const int filter = 0;
    tally.setHidden(&results.calls[0], &filter);
    tally.setHidden(&results.calls[2], &filter);
    const ExportSummary summary = run();
    EXPECT_EQ(summary.expected, 1u);
    EXPECT_EQ(summary.done, 1u);
}

TEST_F(ExportJobTest, HostileNamesStayInsideTheDestinationAndTextsAreEscaped) {
    results.cameraRoll = {stored("../../escape.jpg", "1"), stored("CON", "2"),
                          stored("a\\b/c:d*e?.jpg", "3")};
    results.appFiles = {{1, "..", "../up.png", stored("x", "4").storedPath}};
    MessageRecord m;
    m.handleId = 1;
    m.contactName = "../../Eve";
    m.address = "<script>";
    m.text = "<img src=x onerror=alert(1)>";
    results.messageChats[1] = {m};
    WhatsAppMessageRecord w;
    w.chatKey = 1;
    w.chatNames = "..";
    w.chatIds = "/etc";
    w.text = "a,\"b\"\nc";
    results.whatsAppChats[1] = {w};
    exportAll();

    const fs::path root = fs::weakly_canonical(dest.path());
    for (const auto& e : fs::recursive_directory_iterator(dest.path())) {
        const fs::path p = fs::weakly_canonical(e.path());
        EXPECT_TRUE(p.native().starts_with((root / "").native())) << p; // root and a separator
    }
    EXPECT_FALSE(fs::exists(dest.path().parent_path() / "escape.jpg"));
    EXPECT_FALSE(fs::exists(dest.path().parent_path() / "up.png"));
    const auto all = files();
    EXPECT_TRUE(all.count("Camera Roll/.._.._escape.jpg"));
    EXPECT_TRUE(all.count("Camera Roll/_CON"));
    EXPECT_TRUE(all.count("Camera Roll/a_b_c_d_e_.jpg"));
    EXPECT_TRUE(all.count("App Photos/_/.._up.png"));
    const std::string chatFolder = std::string("Message/.._.._Eve-") + kStamp + "/";
    const std::string page = read(chatFolder + ".._.._Eve(_script_).html");
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    const std::string csv = read(std::string("WhatsApp Message/..(_etc)-") + kStamp + "/..(_etc).csv");
    EXPECT_TRUE(csv.ends_with(",Received,\"a,\"\"b\"\"\nc\",no\r\n")) << csv;
}

} // namespace
} // namespace orvelle
