// The index page of an export and the links between the files of an export.
#include "export/ExportIndex.h"
#include "export/ExportedFiles.h"
#include "export/RelativeLink.h"

#include "backup/FileId.h"
#include "platform/PathText.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

TEST(RelativeLinkTest, LinksAreRelativeAndEveryOddByteIsEncoded) {
    const fs::path root = "/out";
    const struct {
        fs::path from;
        fs::path target;
        const char* link;
    } cases[] = {
        {root, root / "Camera Roll" / "IMG_1.JPG", "Camera%20Roll/IMG_1.JPG"},
        {root / "Message" / "Ann-1", root / "Message Attachments" / "a.jpg", "../../Message%20Attachments/a.jpg"},
        {root, root / "x" / "q?#&\"'<>.png", "x/q%3F%23%26%22%27%3C%3E.png"},
        {root, root / platform::utf8Path("Gr\xC3\xBC\xC3\x9F") / "%.txt", "Gr%C3%BC%C3%9F/%25.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(relativeLink(c.from, c.target), c.link) << c.target;
}

TEST(RelativeLinkTest, OnlyPicturesBrowsersShowAreEmbedded) {
    for (const char* name : {"a.jpg", "b.JPEG", "c.png", "d.gif", "e.bmp", "f.webp"})
        EXPECT_TRUE(isBrowserPicture(name)) << name;
    for (const char* name : {"a.heic", "b.mov", "c.mp3", "d", "e.jpg.txt"})
        EXPECT_FALSE(isBrowserPicture(name)) << name;
}

TEST(ExportedFilesTest, AttachmentsAreFoundByFileIdThenByAUniqueName) {
    ExportedFiles files;
    const std::string byId = "/b/" + fileIdOf("MediaDomain-Library/SMS/Attachments/4a/10/GUID/IMG_1.HEIC");
    files.add(ItemKind::MessageAttachments, byId, "IMG_1.JPG", "/out/Message Attachments/IMG_1.JPG");
    files.add(ItemKind::MessageAttachments, "/b/00", "clip.MOV", "/out/Message Attachments/clip.MOV");
    files.add(ItemKind::MessageAttachments, "/b/01", "twice.GIF", "/out/Message Attachments/twice.GIF");
    files.add(ItemKind::MessageAttachments, "/b/02", "twice.JPG", "/out/Message Attachments/twice(1).JPG");
    const auto* found = files.messageAttachment("~/Library/SMS/Attachments/4a/10/GUID/IMG_1.HEIC");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, "/out/Message Attachments/IMG_1.JPG");
    // A path that names no stored file: the name without extension, when one copy has it.
    found = files.messageAttachment("/var/mobile/Library/SMS/Attachments/7c/12/clip.mov");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, "/out/Message Attachments/clip.MOV");
    EXPECT_EQ(files.messageAttachment("~/Library/SMS/Attachments/twice.gif"), nullptr) << "ambiguous";
    EXPECT_EQ(files.messageAttachment("~/Library/SMS/Attachments/none.jpg"), nullptr);
    EXPECT_EQ(files.whatsAppMedia("Media/x/clip.mov"), nullptr) << "another category's copy";

    const std::string shared =
        "/b/" + fileIdOf("AppDomainGroup-group.net.whatsapp.WhatsApp.shared-Message/Media/1@s.whatsapp.net/p.jpg");
    files.add(ItemKind::WhatsAppAttachments, shared, "p.JPG", "/out/WhatsApp Attachments/p.JPG");
    found = files.whatsAppMedia("Media/1@s.whatsapp.net/p.jpg");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, "/out/WhatsApp Attachments/p.JPG");
    EXPECT_EQ(files.of(ItemKind::MessageAttachments).size(), 4u);
    EXPECT_TRUE(files.of(ItemKind::CameraRoll).empty());
}

TEST(ExportIndexTest, NamesDeviceDatesCountsAndLinksEverythingRelativeAndEscaped) {
    const fs::path root = "/out";
    ExportIndex index;
    index.deviceName = "Ann's <b>iPhone</b>";
    index.backupDate = "2024-05-01 10:00:00";
    index.exportedAt = "2026-12-10 09:00:00";
    IndexCategory photos;
    photos.kind = ItemKind::CameraRoll;
    photos.label = "Camera Roll";
    photos.items = 2;
    photos.links = {{"Camera Roll/", root / "Camera Roll"}};
    photos.media = {{"IMG_1.JPG", root / "Camera Roll" / "IMG_1.JPG"},
                    {"clip \"1\".MOV", root / "Camera Roll" / "clip \"1\".MOV"}};
    IndexCategory notes;
    notes.kind = ItemKind::Notes;
    notes.label = "Notes";
    notes.items = 3;
    notes.deleted = 1;
    notes.records = true;
    notes.links = {{"Notes_1.html", root / "Notes" / "Notes_1.html"}};
    index.categories = {photos, notes};

    const std::string page = exportIndexHtml(index, root, HtmlTemplate{"<head>", "<tail>"});
    EXPECT_EQ(page.rfind("<head>", 0), 0u);
    EXPECT_EQ(page.substr(page.size() - 6), "<tail>");
    EXPECT_NE(page.find("<th>Device</th><td>Ann&#39;s &lt;b&gt;iPhone&lt;/b&gt;</td>"), std::string::npos);
    EXPECT_NE(page.find("<th>Backup date</th><td>2024-05-01 10:00:00</td>"), std::string::npos);
    EXPECT_NE(page.find("<th>Exported</th><td>2026-12-10 09:00:00</td>"), std::string::npos);
    EXPECT_NE(page.find("<tr id=\"cat-notes\" class=\"has_deleted\"><td>Notes</td><td>3</td><td>1</td>"
                        "<td><a href=\"Notes/Notes_1.html\">Notes_1.html</a></td></tr>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<td>Camera Roll</td><td>2</td><td>&ndash;</td>"), std::string::npos);
    EXPECT_NE(page.find("<img src=\"Camera%20Roll/IMG_1.JPG\" alt=\"IMG_1.JPG\" loading=\"lazy\">"),
              std::string::npos);
    EXPECT_NE(page.find("<a class=\"thumb\" href=\"Camera%20Roll/clip%20%221%22.MOV\" "
                        "title=\"clip &quot;1&quot;.MOV\"><span class=\"file\">clip &quot;1&quot;.MOV</span>"),
              std::string::npos);
    EXPECT_EQ(page.find("/out"), std::string::npos) << "no absolute link";
    EXPECT_EQ(page.find("<th>Status</th>"), std::string::npos) << "no status given";

    index.categories[1].status = "unreadable: <garbled>";
    const std::string withStatus = exportIndexHtml(index, root, {});
    EXPECT_EQ(withStatus.rfind("<!DOCTYPE html>", 0), 0u) << "a bare page without template";
    EXPECT_NE(withStatus.find("<th>Status</th>"), std::string::npos);
    EXPECT_NE(withStatus.find("<td>unreadable: &lt;garbled&gt;</td>"), std::string::npos);
}

} // namespace
} // namespace orvelle
