#include "export/ChatDocuments.h"

#include "export/ChatNames.h"
#include "export/MessageChatDocuments.h"
#include "export/WhatsAppChatDocuments.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

MessageRecord message(int fromMe, std::uint32_t deleted, const char* text) {
    MessageRecord m;
    m.fromMe = fromMe;
    m.deleted = deleted;
    m.date = "2020-01-02 03:04:05";
    m.address = "+15550100";
    m.contactName = "Ann";
    m.text = text;
    return m;
}

struct Report {
    int percent;
    Status status;
    bool operator==(const Report&) const = default;
};

struct Recorder {
    std::vector<Report> reports;
    int answerAfter = -1; // answer 2 once this many reports were heard
    static int hear(void* self, int percent, Status status, const std::filesystem::path&) {
        auto* r = static_cast<Recorder*>(self);
        r->reports.push_back({percent, status});
        return (r->answerAfter >= 0 && static_cast<int>(r->reports.size()) >= r->answerAfter) ? kStatusStopped
                                                                                              : 0;
    }
    ProgressSink sink() { return {&Recorder::hear, this}; }
};

TEST(ChatDocumentsTest, BlocksForSentReceivedAndDeletedMessages) {
    const struct {
        int fromMe;
        std::uint32_t deleted;
        const char* contactName;
        const char* expected;
    } cases[] = {
        {1, kLive, "Ann",
         "<div class=\"date\">Date: 2020-01-02 03:04:05 Me:</div>\r\n<div class=\"send_msg\">hi</div>\r\n"},
        {1, kDeleted, "Ann",
         "<div class=\"date\">Date: 2020-01-02 03:04:05 Me:</div>\r\n<div "
         "class=\"del_send_msg\">hi</div>\r\n"},
        {0, kLive, "Ann",
         "<div class=\"date\">Date: 2020-01-02 03:04:05 Ann:</div>\r\n<div class=\"recv_msg\">hi</div>\r\n"},
        {0, kDeleted, "Unknown",
         "<div class=\"date\">Date: 2020-01-02 03:04:05 +15550100:</div>\r\n<div "
         "class=\"del_recv_msg\">hi</div>\r\n"},
        {0, kLive, "",
         "<div class=\"date\">Date: 2020-01-02 03:04:05 +15550100:</div>\r\n<div "
         "class=\"recv_msg\">hi</div>\r\n"},
    };
    for (const auto& c : cases) {
        MessageRecord m = message(c.fromMe, c.deleted, "hi");
        m.contactName = c.contactName;
        EXPECT_EQ(chatBlockHtml(messagePageLines({m})[0]), c.expected);
    }
}

TEST(ChatDocumentsTest, AttachmentsShowInTheBubblePicturesInlineOthersLinkedMissingByName) {
    test::TempFolder out;
    ExportedFiles copies;
    copies.add(ItemKind::MessageAttachments, "/b/1", "IMG_1.JPG", out / "Message Attachments" / "IMG_1.JPG");
    copies.add(ItemKind::MessageAttachments, "/b/2", "clip.MOV", out / "Message Attachments" / "clip.MOV");
    const struct {
        const char* device;
        const char* text;
        const char* bubble;
    } cases[] = {
        {"~/Library/SMS/Attachments/4a/10/IMG_1.HEIC", "ï¿¼",
         "ï¿¼<br><a class=\"attachment\" href=\"../../Message%20Attachments/IMG_1.JPG\"><img "
         "src=\"../../Message%20Attachments/IMG_1.JPG\" alt=\"IMG_1.HEIC\" loading=\"lazy\"></a>"},
        {"~/Library/SMS/Attachments/7c/clip.mov", "",
         "<a class=\"attachment\" href=\"../../Message%20Attachments/clip.MOV\">clip.mov</a>"},
        {"~/Library/SMS/Attachments/0e/<Voice>.caf", "listen",
         "listen<br><span class=\"attachment missing\">Attachment: &lt;Voice&gt;.caf</span>"},
    };
    for (const auto& c : cases) {
        MessageRecord m = message(0, kLive, c.text);
        m.attachmentName = c.device;
        const std::string block = chatBlockHtml(messagePageLines({m}, &copies, out / "Message" / "Ann-1")[0]);
        EXPECT_NE(block.find(std::string("<div class=\"recv_msg\">") + c.bubble + "</div>\r\n"), std::string::npos)
            << block;
    }
    // Without copies (the print page, the text file) only the name is known.
    MessageRecord m = message(1, kDeleted, "see");
    m.attachmentName = "~/Library/SMS/Attachments/4a/10/IMG_1.HEIC";
    EXPECT_EQ(messageTextLines({m})[0].attachmentName, "IMG_1.HEIC");
    EXPECT_TRUE(messageTextLines({m})[0].attachmentLink.empty());
}

TEST(ChatDocumentsTest, HostileTextIsEscapedInTheBlock) {
    MessageRecord m = message(0, kLive, "<img src=x onerror=alert(1)>\nline two");
    m.contactName = "<b>Eve</b>";
    EXPECT_EQ(chatBlockHtml(messagePageLines({m})[0]),
              "<div class=\"date\">Date: 2020-01-02 03:04:05 &lt;b&gt;Eve&lt;/b&gt;:</div>\r\n"
              "<div class=\"recv_msg\">&lt;img src=x onerror=alert(1)&gt;<br>line two</div>\r\n");
}

TEST(ChatDocumentsTest, ThreeMessageChatReports33And66And100AndWritesThePage) {
    test::TempFolder folder;
    const std::vector<MessageRecord> chat = {message(1, kLive, "a"), message(0, kLive, "b"),
                                             message(0, kDeleted, "c")};
    Recorder recorder;
    const HtmlTemplate sms{"<h>{|person|}|", "</t>"};
    ASSERT_EQ(writeMessageChatHtml(folder / "Ann.html", sms, chat.back(), chat, recorder.sink()), kStatusOk);
    EXPECT_EQ(recorder.reports, (std::vector<Report>{{33, 0}, {66, 0}, {100, 0}}));
    const std::string page = test::readFile(folder / "Ann.html");
    EXPECT_TRUE(page.starts_with("<h>Name: Ann, Phone: +15550100|<div class=\"date\">")) << page;
    EXPECT_TRUE(page.ends_with("<div class=\"del_recv_msg\">c</div>\r\n</t>")) << page;
}

TEST(ChatDocumentsTest, AStopAnswerEndsTheBlocksButTheFileIsStillWritten) {
    test::TempFolder folder;
    const std::vector<MessageRecord> chat = {message(1, kLive, "a"), message(0, kLive, "b"),
                                             message(0, kLive, "c")};
    Recorder recorder;
    recorder.answerAfter = 1;
    EXPECT_EQ(writeMessageChatHtml(folder / "x.html", HtmlTemplate{"[", "]"}, chat[0], chat, recorder.sink()),
              kStatusStopped);
    EXPECT_EQ(recorder.reports, (std::vector<Report>{{33, 0}}));
    const std::string page = test::readFile(folder / "x.html");
    EXPECT_NE(page.find(">a</div>"), std::string::npos);
    EXPECT_EQ(page.find(">b</div>"), std::string::npos);
    EXPECT_TRUE(page.ends_with("]"));
}

TEST(ChatDocumentsTest, APageThatCannotBeCreatedIsReportedAsFailed) {
    test::TempFolder folder;
    Recorder recorder;
    const std::vector<MessageRecord> chat = {message(1, kLive, "a")};
    EXPECT_NE(writeMessageChatHtml(folder / "no" / "x.html", HtmlTemplate{}, chat[0], chat, recorder.sink()),
              kStatusOk);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].percent, 100);
    EXPECT_NE(recorder.reports[0].status, kStatusOk);
}

TEST(ChatDocumentsTest, TextFileHasThreeLabelledLinesPerMessageAndMarksAttachmentsAndDeleted) {
    test::TempFolder folder;
    MessageRecord unknown = message(0, kDeleted, "two\nlines");
    unknown.contactName = "Unknown";
    unknown.attachmentName = "~/Library/SMS/Attachments/4a/10/IMG_1.HEIC";
    const std::vector<MessageRecord> chat = {message(1, kLive, "hi"), unknown};
    ASSERT_EQ(writeChatText(folder / "c.txt", messageTextLines(chat)), kStatusOk);
    EXPECT_EQ(test::readFile(folder / "c.txt"), "\xEF\xBB\xBF"
                                                "        To: Ann(+15550100)\r\n"
                                                "      Date: 2020-01-02 03:04:05\r\n"
                                                "   Content: hi\r\n"
                                                "\r\n"
                                                "      From: +15550100\r\n"
                                                "      Date: 2020-01-02 03:04:05\r\n"
                                                "   Content: two\r\nlines\r\n"
                                                "Attachment: IMG_1.HEIC\r\n"
                                                "    Status: Deleted\r\n"
                                                "\r\n");
}

WhatsAppMessageRecord whatsApp(int fromMe, const char* senderName, const char* senderId, const char* text) {
    WhatsAppMessageRecord m;
    m.fromMe = fromMe;
    m.date = "2021-05-06 07:08:09";
    m.senderName = senderName;
    m.senderId = senderId;
    m.text = text;
    return m;
}

TEST(WhatsAppChatDocumentsTest, CsvKeepsHeaderAndColumnsAndQuotesWhatNeedsIt) {
    std::vector<WhatsAppMessageRecord> chat = {whatsApp(1, "Me", "", "hello, world"),
                                               whatsApp(0, "Bo \"B\"", "4917", "line\nbreak")};
    chat[1].deleted = kDeleted;
    EXPECT_EQ(whatsAppChatCsv(chat),
              "\xEF\xBB\xBF"
              "Chats,Name/Phone,Date,Type,Content,Deleted\r\n"
              "Me,,2021-05-06 07:08:09,Send,\"hello, world\",no\r\n"
              "\"Bo \"\"B\"\"\",4917,2021-05-06 07:08:09,Received,\"line\nbreak\",yes\r\n");
}

TEST(WhatsAppChatDocumentsTest, AMediaItemIsShownAsItsAttachmentNotAsItsPath) {
    test::TempFolder out;
    ExportedFiles copies;
    copies.add(ItemKind::WhatsAppAttachments, "/b/1", "4a1f0c2e-photo.JPG",
               out / "WhatsApp Attachments" / "4a1f0c2e-photo.JPG");
    WhatsAppMessageRecord media = whatsApp(0, "Priya", "1415", "Media/1@s.whatsapp.net/4/a/4a1f0c2e-photo.jpg");
    media.mediaKey = 3;
    const ChatLine line = whatsAppPageLines({media}, &copies, out / "WhatsApp Message" / "Club-1")[0];
    EXPECT_TRUE(line.text.empty());
    EXPECT_EQ(line.attachmentName, "4a1f0c2e-photo.jpg");
    EXPECT_EQ(line.attachmentLink, "../../WhatsApp%20Attachments/4a1f0c2e-photo.JPG");
    EXPECT_EQ(whatsAppTextLines({media})[0].text, media.text) << "the text file keeps the path";
    WhatsAppMessageRecord plain = whatsApp(0, "Priya", "1415", "a/b is no path without a media item");
    EXPECT_TRUE(whatsAppPageLines({plain}, &copies, out.path())[0].attachmentName.empty());
}

TEST(WhatsAppChatDocumentsTest, PartiesAndSenders) {
    const auto lines =
        whatsAppTextLines({whatsApp(0, "Bo", "4917", "x"), whatsApp(0, "Unknown", "4917", "y")});
    EXPECT_EQ(lines[0].sender, "Bo(4917)");
    EXPECT_EQ(lines[1].sender, "4917");
    EXPECT_EQ(whatsAppPageLines({whatsApp(0, "", "4917", "x")})[0].sender, "4917");
}

TEST(ChatNamesTest, ChatAndFileNames) {
    MessageRecord m;
    EXPECT_EQ(messageChatName(m), "Unknown");
    EXPECT_EQ(messageChatFileName(m), "Unknown");
    m.address = "+1";
    EXPECT_EQ(messageChatFileName(m), "Unknown(+1)");
    m.contactName = "Ann";
    EXPECT_EQ(messageChatFileName(m), "Ann(+1)");

    const struct {
        const char* names;
        const char* ids;
        const char* title;
        const char* expected;
    } cases[] = {
        {"Bo", "4917", "Bo", "Bo(4917)"},      {"", "4917", "", "4917"},
        {"Bo, Cy", "1,2", "Hiking", "Hiking"}, {"", "", "", "Unknown"},
        {"A,B", "1,2", "", "Unknown"},
    };
    for (const auto& c : cases) {
        WhatsAppMessageRecord s;
        s.chatNames = c.names;
        s.chatIds = c.ids;
        s.chatTitle = c.title;
        EXPECT_EQ(whatsAppChatName(s), c.expected) << c.names;
    }
}

} // namespace
} // namespace orvelle
