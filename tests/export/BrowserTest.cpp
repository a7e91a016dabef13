// Exported chat and contacts documents opened in a real browser (headless
// Chromium): every message text is shown as text, and markup inside a value
// stays text instead of becoming part of the page. Skipped when Chromium is
// not installed.
#include "support/Browser.h"

#include "export/ExportJob.h"
#include "scan/SelectionTally.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace orvelle
