// Exported chat and contacts documents opened in a real browser (headless
// Chromium): every message text is shown as text, and markup inside a value
// stays text instead of becoming part of the page. Skipped when Chromium is
// not installed.
#include "support/Browser.h"

#include "export/ExportJob.h"
#include "scan/SelectionTally.h"
#include "support/CliRun.h"
#include "support/DemoBackup.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHostileImage = "<img src=x onerror=alert(1)>";
constexpr const char* kChatBubbles = ".send_msg, .recv_msg, .del_send_msg, .del_recv_msg";

struct NoStoredFiles : ExportSource {
    Status copyFile(const fs::path&, platform::OutputFile&, const fs::path&, FileProgressFn, void*) override {
        return kStatusInvalid;
    }
    Status exportDeletedMessages(const fs::path& output) override { return kStatusOk; }
    Status exportDeletedContacts(const fs::path& output) override { return kStatusOk; }
};

/// The only file below `folder` whose name ends with `suffix`.
fs::path onlyFile(const fs::path& folder, const std::string& suffix) {
    fs::path found;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (e.is_regular_file() && name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            EXPECT_TRUE(found.empty()) << "two files end with " << suffix;
            found = e.path();
        }
    }
    return found;
}

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "the pages are rendered with headless Chromium, which the tests start on Linux only";
#endif
        if (test::chromiumProgram().empty()) GTEST_SKIP() << "chromium is not installed";
    }

    /// Exports `results` with the shipped templates into `dest`.
    void exportResults() {
        for (const auto& c : kCategories) {
            if (c.kind == ItemKind::None) continue;
            results.prepare(c.kind);
            tally.addCategory(c.kind, results);
        }
        ExportTemplates templates;
        ASSERT_EQ(
            loadExportTemplates(fs::path(ORVELLE_SOURCE_DIR) / "template", "Ann's <i>iPhone</i>", templates),
            kStatusOk);
        NoStoredFiles source;
        ExportJob job(results, tally, source, templates, {dest.path(), "20240304050607"});
        const ExportSummary summary = job.run();
        ASSERT_EQ(summary.failed, 0u);
    }

    /// Checks that nothing in the rendered page came from a value's markup.
    static void expectInert(const test::RenderedPage& page) {
        EXPECT_EQ(page.images, 0u);
        EXPECT_EQ(page.scripts, 0u);
        EXPECT_EQ(page.eventAttributes, 0u);
    }

    ScanResults results;
    SelectionTally tally;
    test::TempFolder dest{"orvelle-browser-export"};
};

TEST_F(BrowserTest, ChatPageShowsEveryMessageAsText) {
    const std::vector<std::pair<int, std::string>> messages = {
        // {fromMe + 2 * deleted, text}
        {0, "Lunch at 12?"},
        {1, "Sure & see you \"there\" at 'noon'"},
        {2, kHostileImage},
        {3, "<script>document.body.innerHTML='gone'</script>"},
        {0, "first line\nsecond line"},
        {1, "</div><b onmouseover=alert(2)>bold?</b><!--"},
        {0, "Gr\xC3\xBC\xC3\x9F"
            "e \xF0\x9F\x91\x8B \xE6\x97\xA5\xE6\x9C\xAC"},
    };
    for (const auto& [flags, text] : messages) {
        MessageRecord m;
        m.handleId = 7;
        m.fromMe = flags & 1;
        m.deleted = (flags & 2) ? kDeleted : kLive;
        m.date = "2024-03-01 09:15:00";
        m.address = "+15550100";
        m.contactName = "Ann <u>Lee</u>";
        m.text = text;
        results.messageChats[7].push_back(m);
    }
    exportResults();
    const fs::path chat = onlyFile(dest / "Message", ".html");
    ASSERT_FALSE(chat.empty());

    const auto dom = test::dumpDom(chat);
    ASSERT_TRUE(dom) << "chromium did not finish loading " << chat << " (a script dialog may be holding it)";
    EXPECT_EQ(dom->find("<img"), std::string::npos);
    EXPECT_EQ(dom->find("<script"), std::string::npos);
    EXPECT_NE(dom->find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);

    const auto page = test::renderPage(chat, kChatBubbles);
    ASSERT_TRUE(page) << "chromium did not render " << chat;
    expectInert(*page);
    ASSERT_EQ(page->elements.size(), messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_TRUE(page->elements[i].visible) << i;
        EXPECT_EQ(page->elements[i].text, messages[i].second) << i;
    }
    EXPECT_NE(page->bodyText.find("Name: Ann <u>Lee</u>, Phone: +15550100"), std::string::npos)
        << page->bodyText;
    EXPECT_NE(page->bodyText.find("Date: 2024-03-01 09:15:00 Ann <u>Lee</u>:"), std::string::npos);
    EXPECT_NE(page->bodyText.find("iPhone's Messages of Ann's <i>iPhone</i>"), std::string::npos);
}

TEST_F(BrowserTest, ContactsPageShowsEveryValueAsText) {
    ContactRecord a;
    a.name = kHostileImage;
    a.phones = "+15550100\n+15550101";
    a.email = "ann@example.org";
    a.address = "1 Main St & Co";
    a.url = "javascript:alert(3)";
    a.social = "\"@ann\"";
    a.company = "<b>Acme</b>";
    ContactRecord b;
    b.name = "Bo";
    b.phones = "4917012345";
    results.contacts = {a, b};
    exportResults();
    const fs::path contacts = onlyFile(dest / "Contacts", "Contacts.html");
    ASSERT_FALSE(contacts.empty());

    const auto dom = test::dumpDom(contacts);
    ASSERT_TRUE(dom) << "chromium did not finish loading " << contacts
                     << " (a script dialog may be holding it)";
    EXPECT_EQ(dom->find("<img"), std::string::npos);
    EXPECT_NE(dom->find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);

    const auto page = test::renderPage(contacts, "tbody td");
    ASSERT_TRUE(page) << "chromium did not render " << contacts;
    expectInert(*page);
    const std::vector<std::string> cells = {a.name, a.phones, a.email, a.address, a.url, a.social, a.company,
                                            b.name, b.phones, "",      "",        "",    "",       ""};
    ASSERT_EQ(page->elements.size(), 14u);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_TRUE(page->elements[i].visible) << i;
        EXPECT_EQ(page->elements[i].text, cells[i]) << i;
    }
}

/// The targets of the links of a page's DOM, entities and percent escapes undone.
std::vector<std::string> linkTargets(const std::string& dom) {
    std::vector<std::string> out;
    const std::regex href("href=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(dom.begin(), dom.end(), href); it != std::sregex_iterator(); ++it) {
        std::string link = (*it)[1];
        for (std::size_t at; (at = link.find("&amp;")) != std::string::npos;)
            link.replace(at, 5, "&");
        std::string decoded;
        for (std::size_t i = 0; i < link.size(); ++i) {
            if (link[i] == '%' && i + 2 < link.size()) {
                decoded += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                decoded += link[i];
            }
        }
        out.push_back(decoded);
    }
    return out;
}

/// Where the screenshots go: docs/export/ of the source tree when
/// ORVELLE_UPDATE_SCREENSHOTS is set (README shows them), else a scratch folder.
fs::path screenshotFolder(const fs::path& scratch) {
    if (std::getenv("ORVELLE_UPDATE_SCREENSHOTS")) return fs::path(ORVELLE_SOURCE_DIR) / "docs" / "export";
    return scratch;
}

TEST_F(BrowserTest, DemoExportBrowsesFromItsIndexToEveryDocumentWithPicturesAndDeletedRowsMarked) {
    test::TempFolder temp{"orvelle-browser-demo"};
    test::makeDemoBackups(temp / "root");
    const fs::path out = temp / "demo export";
    const test::CliRun run =
        test::orvelle(temp, {"export", test::arg(temp / "root" / std::string(test::kDemoRecentFolder)),
                             test::arg(out)});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const fs::path index = out / "index.html";
    const auto dom = test::dumpDom(index);
    ASSERT_TRUE(dom) << "chromium did not load " << index;

    // Every link leads to something the export wrote, and every page it wrote is linked.
    std::set<fs::path> linkedPages;
    for (const std::string& target : linkTargets(*dom)) {
        const fs::path path = (out / fs::u8path(target)).lexically_normal();
        EXPECT_TRUE(fs::exists(path)) << target;
        EXPECT_EQ(path.lexically_relative(out).string().rfind("..", 0), std::string::npos) << target;
        if (path.extension() == ".html") linkedPages.insert(path);
    }
    std::set<fs::path> writtenPages;
    for (const auto& e : fs::recursive_directory_iterator(out))
        if (e.path().extension() == ".html" && e.path() != index) writtenPages.insert(e.path().lexically_normal());
    EXPECT_EQ(linkedPages, writtenPages);
    EXPECT_GE(writtenPages.size(), 11u) << "2 + 2 + 2 + 2 chats, contacts, calls, notes";

    const auto start = test::renderPage(index, ".thumb img");
    ASSERT_TRUE(start);
    EXPECT_GE(start->loadedImages, 1u) << "the camera roll's photo as a thumbnail";
    EXPECT_NE(start->bodyText.find("Export of "), std::string::npos);

    // Every page renders; the chat with the photo shows it; deleted rows are marked in words.
    std::size_t chatPictures = 0;
    std::map<std::string, fs::path> shots;
    std::map<std::string, int> messengerPages;
    for (const fs::path& page : linkedPages) {
        const auto deleted = test::renderPage(page, "tr.deleted, .del_send_msg, .del_recv_msg");
        ASSERT_TRUE(deleted) << "chromium did not render " << page;
        EXPECT_FALSE(deleted->bodyText.empty()) << page;
        const std::string name = page.filename().string();
        const auto expectMarked = [&](const char* what, std::size_t rows) {
            EXPECT_EQ(deleted->elements.size(), rows) << what;
            for (const auto& row : deleted->elements) {
                EXPECT_TRUE(row.visible) << what;
                EXPECT_EQ(row.text.rfind("Deleted", 0), 0u) << what << ": " << row.text;
            }
            shots[what] = page;
        };
        if (name == "Contacts.html") expectMarked("contacts", 1);
        if (name.rfind("CallHistory_", 0) == 0) expectMarked("calls", 1);
        if (name.rfind("Notes_", 0) == 0) expectMarked("notes", 3);
        // QQ and WeChat chats lie under their account: one chat of each holds the deleted message.
        const fs::path app = page.parent_path().parent_path().parent_path().filename();
        if (app == "QQ Message" || app == "WeChat Message") {
            ++messengerPages[app.string()];
            // Chat bubbles mark a deleted message by their own style, as in Messages.
            if (!deleted->elements.empty()) {
                EXPECT_EQ(deleted->elements.size(), 1u) << page;
                EXPECT_TRUE(deleted->elements.front().visible) << page;
                shots[app == "QQ Message" ? "qq" : "wechat"] = page;
            }
        }
        if (deleted->loadedImages > 0 && page.parent_path().parent_path().filename() == "Message") {
            ++chatPictures;
            shots["chat"] = page;
        }
    }
    EXPECT_EQ(chatPictures, 1u) << "the chat whose message carries a photo shows it inline";
    EXPECT_EQ(messengerPages, (std::map<std::string, int>{{"QQ Message", 2}, {"WeChat Message", 2}}));
    ASSERT_EQ(shots.size(), 6u);

    const fs::path folder = screenshotFolder(temp / "shots");
    fs::create_directories(folder);
    shots["index"] = index;
    for (const auto& [what, page] : shots) {
        const fs::path png = folder / ("export-" + what + ".png");
        EXPECT_TRUE(test::screenshot(page, png, 900, 620)) << png;
    }
}

} // namespace
} // namespace orvelle
