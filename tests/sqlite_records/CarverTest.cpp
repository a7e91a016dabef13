#include "sqlite_records/Carver.h"

#include "sqlite_records/BtreePage.h"
#include "sqlite_records/Record.h"
#include "support/SqliteFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::SqlRow;
using test::SqlValue;

constexpr std::uint32_t kPage = 1024;
constexpr std::uint32_t kPageIndex = 5;

// A table leaf page put together by hand.
class PageImage {
public:
    PageImage() : m_bytes(kPage, 0) { m_bytes[0] = kPageTypeTableLeaf; }

    // Live cell pointers first (the cell count), then stale entries behind them.
    void pointers(const std::vector<std::uint16_t>& live, const std::vector<std::uint16_t>& stale = {}) {
        put(3, test::bigEndian16(static_cast<std::uint32_t>(live.size())));
        std::size_t at = 8;
        for (auto list : {&live, &stale})
            for (std::uint16_t p : *list) {
                put(at, test::bigEndian16(p));
                at += 2;
            }
        if (!live.empty()) put(5, test::bigEndian16(*std::min_element(live.begin(), live.end())));
    }
    void firstFreeblock(std::uint16_t offset) { put(1, test::bigEndian16(offset)); }
    void put(std::size_t offset, const std::string& bytes) {
        std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    // A freed cell: its first 4 bytes replaced by a freeblock header.
    void freedCell(std::size_t offset, std::uint16_t next, const std::string& cell, std::size_t size = 0) {
        put(offset, cell);
        put(offset, test::bigEndian16(next) +
                        test::bigEndian16(static_cast<std::uint32_t>(size ? size : cell.size())));
    }

    std::vector<Candidate> carve(std::uint32_t columns, bool requireGuid = false) const {
        CarveShape shape;
        shape.columnCount = columns;
        shape.searchColumnCount = columns;
        shape.requireGuid = requireGuid;
        std::vector<Candidate> out;
        findPageCandidates(BtreePage(m_bytes, kPageIndex, kPage), shape, out);
        return out;
    }

    // The second column's text of the candidate record at `c`.
    std::string text(const Candidate& c, std::uint32_t columns) const {
        std::vector<RecordValue> values;
        HeaderlessRecord info;
        const ByteSpan bytes = ByteSpan(m_bytes).subspan(c.offset);
        const bool ok = c.firstColumn < 0
                            ? decodeHeaderless(bytes, columns, values, info)
                            : decodeHeaderless(bytes, columns, std::uint32_t(c.firstColumn), values, info);
        return ok && values.size() > 1 ? std::string(values[1].bytes) : "<none>";
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

SqlRow row(const std::string& text, std::int64_t n = 7) {
    return {SqlValue::null(), SqlValue::text(text), SqlValue::of(n)};
}

TEST(CarverTest, APageWithoutFreeSpaceYieldsNothing) {
    PageImage page;
    page.put(900, test::encodeCell(1, row("live row")));
    page.pointers({900});
    EXPECT_TRUE(page.carve(3).empty());
}

struct FreeblockCase {
    std::string name;
    std::int64_t rowid;       // longer rowids leave bytes between the freeblock header and the record header
    std::uint32_t payloadPad; // text length (long texts make two-byte payload lengths)
};

TEST(CarverTest, FreeblocksGiveTheirRecordsWhateverTheVarintLengths) {
    const std::vector<FreeblockCase> cases = {
        {"payload 1 + rowid 1 bytes: the header length is lost too", 5, 10},
        {"payload 2 + rowid 2 bytes: the header length follows", 300, 200},
        {"payload 2 + rowid 3 bytes: one rowid byte is left", 20000, 200},
        {"payload 1 + rowid 4 bytes", 3000000, 20},
    };
    for (const FreeblockCase& c : cases) {
        PageImage page;
        const std::string text(c.payloadPad, 'd');
        page.put(800, test::encodeCell(1, row("live")));
        page.freedCell(500, 0, test::encodeCell(c.rowid, row(text)));
        page.pointers({800});
        page.firstFreeblock(500);
        const auto found = page.carve(3);
        ASSERT_EQ(found.size(), 1u) << c.name;
        EXPECT_EQ(found[0].source, RowSource::freeblock) << c.name;
        EXPECT_EQ(page.text(found[0], 3), text) << c.name;
    }
}

TEST(CarverTest, CellsMergedIntoOneFreeblockAreAllFound) {
    PageImage page;
    const std::string first = test::encodeCell(40, row("first freed row"));
    const std::string second = test::encodeCell(41, row("second freed row"));
    page.put(900, test::encodeCell(1, row("live")));
    page.freedCell(400, 0, first + second);
    page.pointers({900});
    page.firstFreeblock(400);
    const auto found = page.carve(3);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(page.text(found[0], 3), "first freed row");
    EXPECT_EQ(page.text(found[1], 3), "second freed row");
}

TEST(CarverTest, AFreeblockSizeBeyondThePageIsReadAsTheVarintAtItsFourthByte) {
    PageImage page;
    const std::string cell = test::encodeCell(7, row("oversized freeblock"));
    page.put(900, test::encodeCell(1, row("live")));
    page.freedCell(600, 0, cell);
    // Size 0xF0xx lies beyond the page; its low byte, read as a varint, is the size.
    page.put(602, std::string{char(0xf0), char(cell.size())});
    page.pointers({900});
    page.firstFreeblock(600);
    const auto found = page.carve(3);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(page.text(found[0], 3), "oversized freeblock");
}

TEST(CarverTest, AFreeblockChainThatLoopsEnds) {
    PageImage page;
    page.put(900, test::encodeCell(1, row("live")));
    page.freedCell(500, 600, test::encodeCell(2, row("a")));
    page.freedCell(600, 500, test::encodeCell(3, row("b"))); // points back
    page.pointers({900});
    page.firstFreeblock(500);
    EXPECT_EQ(page.carve(3).size(), 2u);
}

TEST(CarverTest, GapHoldsWholeCellsFreedAtTheContentStart) {
    PageImage page;
    page.put(700, test::encodeCell(1, row("live")));
    // Freed at the start of the content area: the cell stays whole, in the gap.
    page.put(640, test::encodeCell(2, row("in the gap")));
    page.pointers({700});
    const auto found = page.carve(3);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, RowSource::gap);
    EXPECT_EQ(page.text(found[0], 3), "in the gap");
}

TEST(CarverTest, TailBehindTheHighestCellIsSearched) {
    PageImage page;
    const std::string live = test::encodeCell(1, row("live"));
    page.put(600, live);
    page.put(800, test::encodeCell(9, row("behind the last cell")));
    page.pointers({600});
    const auto found = page.carve(3);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, RowSource::tail);
    EXPECT_EQ(page.text(found[0], 3), "behind the last cell");
}

TEST(CarverTest, StalePointersFindUnlinkedCellsAndDuplicatesAreEmittedOnce) {
    PageImage page;
    page.put(400, test::encodeCell(1, row("live")));
    page.put(900, test::encodeCell(4, row("live")));
    // Linked in the chain and named by a stale pointer: found once.
    page.freedCell(500, 0, test::encodeCell(2, row("linked")));
    // Named only by a stale pointer.
    page.freedCell(700, 0, test::encodeCell(3, row("unlinked")));
    page.pointers({400, 900}, {500, 700, 900});
    page.firstFreeblock(500);
    const auto found = page.carve(3);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].source, RowSource::freeblock);
    EXPECT_EQ(page.text(found[0], 3), "linked");
    EXPECT_EQ(found[1].source, RowSource::stale);
    EXPECT_EQ(page.text(found[1], 3), "unlinked");
}

TEST(CarverTest, CandidatesInsideLiveCellsAreDropped) {
    PageImage page;
    // A stale pointer into a live cell: that row is live, not deleted.
    page.put(800, test::encodeCell(1, row("live one")));
    page.put(900, test::encodeCell(2, row("live two")));
    page.pointers({800, 900}, {900, 803});
    EXPECT_TRUE(page.carve(3).empty());
}

TEST(CarverTest, MessageRowsNeedAnIntactGuid) {
    for (bool intact : {true, false}) {
        PageImage page;
        const std::string guid = intact ? "27B99F78-F6F0-475F-8BA1-000000000001" : std::string(36, '\0');
        const SqlRow message = {SqlValue::null(), intact ? SqlValue::text(guid) : SqlValue::blob(guid),
                                SqlValue::text("hello")};
        page.put(900, test::encodeCell(1, row("live")));
        page.freedCell(500, 0, test::encodeCell(300, message));
        page.pointers({900});
        page.firstFreeblock(500);
        EXPECT_EQ(page.carve(3, true).size(), intact ? 1u : 0u);
        EXPECT_EQ(page.carve(3, false).size(), 1u);
    }
}

TEST(CarverTest, WithoutAColumnCountNothingIsCarved) {
    PageImage page;
    page.put(900, test::encodeCell(1, row("live")));
    page.freedCell(500, 0, test::encodeCell(2, row("freed")));
    page.pointers({900});
    page.firstFreeblock(500);
    EXPECT_TRUE(page.carve(0).empty());
}

TEST(CarverTest, HostilePagesNeverReadOutside) {
    // Every byte value in every header field: no crash, no read outside (the
    // sanitizer build checks), and candidates inside the usable page.
    for (int fill = 0; fill < 256; fill += 17) {
        PageImage page;
        page.put(0, std::string(kPage, char(fill)));
        page.put(0, std::string(1, char(kPageTypeTableLeaf)));
        for (const Candidate& c : page.carve(3))
            EXPECT_LT(c.offset, kPage);
        for (const Candidate& c : page.carve(60))
            EXPECT_LT(c.offset, kPage);
    }
}

} // namespace
} // namespace orvelle
