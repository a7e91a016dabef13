#include "sqlite_records/decoders/CallsDecoder.h"

#include "sqlite_records/SqliteFile.h"
#include "support/DeviceDbAddressBook.h"
#include "support/DeviceDbCalls.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::Call;
using test::CallHistoryDb;
using test::CallHistoryLayout;

class CallsDecoderTest : public ::testing::TestWithParam<CallHistoryLayout> {
protected:
    std::filesystem::path calls() const { return m_temp / "calls.db"; }
    std::filesystem::path book() const { return m_temp / "AddressBook.sqlitedb"; }

    void buildAddressBook() {
        test::AddressBookDb db(book(), test::AddressBookLayout::ios7);
        test::Person p;
        p.first = "Thom";
        p.last = "Fer";
        p.phones = {"(919) 802-7080"};
        p.phoneText = test::phoneSearchText("(919) 802-7080") + "1234 ";
        db.addPerson(p);
        db.close();
    }

    std::vector<CallRecord> decode(const std::filesystem::path& addressBook, DecodeReport* report = nullptr) {
        std::vector<CallRecord> out;
        EXPECT_EQ(decodeCalls(calls(), addressBook, DecodeContext{}, out, report), kStatusOk);
        return out;
    }

    test::TempFolder m_temp;
};

TEST_P(CallsDecoderTest, LiveCallsDecodeFieldByField) {
    CallHistoryDb db(calls(), GetParam());
    Call answered;
    answered.number = "+19198027080";
    answered.appleSeconds = 599529600.75 + 3600;
    answered.duration = 75.6;
    db.addCall(answered);
    Call missed;
    missed.number = "1234";
    missed.duration = 0;
    db.addCall(missed);
    Call canceled;
    canceled.number = "(919) 802-7080";
    canceled.incoming = false;
    canceled.duration = 0;
    canceled.appleSeconds = 599529600 + 60;
    db.addCall(canceled);
    db.close();
    buildAddressBook();

    const auto out = decode(book());
    ASSERT_EQ(out.size(), 3u);
    // Sorted by date.
    EXPECT_EQ(out[0].number, "1234");
    EXPECT_EQ(out[0].date, "2020-01-01 00:00:00");
    EXPECT_EQ(out[0].incoming, 1);
    EXPECT_EQ(out[0].duration, 0);
    EXPECT_EQ(out[0].contactName, ""); // too short to look up
    EXPECT_EQ(out[1].number, "(919) 802-7080");
    EXPECT_EQ(out[1].incoming, 0);
    EXPECT_EQ(out[1].contactName, "Thom Fer");
    EXPECT_EQ(out[2].number, "+19198027080");
    EXPECT_EQ(out[2].date, "2020-01-01 01:00:00");
    EXPECT_EQ(out[2].duration, 75);
    EXPECT_EQ(out[2].incoming, 1);
    EXPECT_EQ(out[2].contactName, "Thom Fer");
    EXPECT_EQ(out[2].deleted, kLive);
}

TEST_P(CallsDecoderTest, DeletedCallsComeBack) {
    CallHistoryDb db(calls(), GetParam());
    for (int i = 0; i < 40; ++i) {
        Call c;
        c.number = "+1202555" + std::to_string(1000 + i);
        c.appleSeconds = 599529600 + i * 60;
        c.incoming = i % 2 == 0;
        db.addCall(c);
    }
    db.deleteWhere(db.table(), db.isCallRecord() ? "Z_PK = 9" : "ROWID = 9");
    db.close();
    DecodeReport report;
    const auto out = decode({}, &report);
    EXPECT_EQ(report.liveRows, 39u);
    const auto found =
        std::find_if(out.begin(), out.end(), [](const CallRecord& c) { return c.deleted == kDeleted; });
    ASSERT_NE(found, out.end());
    EXPECT_EQ(found->number, "+12025551008");
    EXPECT_EQ(found->date, "2020-01-01 00:08:00");
    EXPECT_EQ(found->incoming, 1);
    EXPECT_EQ(found->duration, 75);
}

TEST_P(CallsDecoderTest, CallsOfFreedPagesComeBack) {
    CallHistoryDb db(calls(), GetParam());
    for (int i = 0; i < 200; ++i) {
        Call c;
        c.number = "+1202555" + std::to_string(1000 + i);
        c.appleSeconds = 599529600 + i * 60;
        db.addCall(c);
    }
    db.exec("DELETE FROM " + db.table());
    db.close();
    const auto out = decode({});
    int recovered = 0;
    for (int i = 0; i < 200; ++i) {
        char date[32];
        std::snprintf(date, sizeof date, "2020-01-01 %02d:%02d:00", i / 60, i % 60);
        recovered += std::any_of(out.begin(), out.end(), [&](const CallRecord& c) {
            return c.deleted == kDeleted && c.number == "+1202555" + std::to_string(1000 + i) &&
                   c.date == date;
        });
    }
    EXPECT_GE(recovered, 150);
}

TEST_P(CallsDecoderTest, RowsWithoutAUsableNumberOrDateAreLeftOut) {
    CallHistoryDb db(calls(), GetParam());
    for (const char* number : {"+1202\xff", "+1202\xEF\xBF\xBD", ""}) {
        Call c;
        c.number = number;
        db.addCall(c);
    }
    Call good;
    db.addCall(good);
    db.close();
    const auto out = decode({});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].number, good.number);
}

TEST_P(CallsDecoderTest, AMissingAddressBookCostsOnlyTheNames) {
    CallHistoryDb db(calls(), GetParam());
    db.addCall(Call{});
    db.close();
    DecodeReport report;
    const auto out = decode(m_temp / "missing.sqlitedb", &report);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(report.addressBook, kStatusFileMissing);
}

TEST_P(CallsDecoderTest, ColumnsAreFoundByName) {
    CallHistoryDb db(calls(), GetParam());
    db.close();
    SqliteFile file;
    ASSERT_EQ(file.open(calls()), kStatusOk);
    const auto layout = db.isCallRecord() ? CallLayout::callRecord : CallLayout::call;
    const TableColumns columns = callColumns(file, layout, false);
    const std::uint32_t counts[] = {8, 14, 21, 30};
    EXPECT_EQ(columns.columnCount(), counts[static_cast<int>(GetParam())]);
    if (GetParam() != CallHistoryLayout::callRecordIos17) {
        // The fixed positions hold on the layouts they were written for.
        const TableColumns fixed = fixedCallColumns(layout, false);
        for (std::size_t field = 0; field < 4; ++field)
            EXPECT_EQ(columns[field], fixed[field]) << field;
    } else {
        EXPECT_EQ(columns[0], 12); // ZORIGINATED
        EXPECT_EQ(columns[3], 17); // ZADDRESS
    }
}

INSTANTIATE_TEST_SUITE_P(DeviceLayouts, CallsDecoderTest,
                         ::testing::Values(CallHistoryLayout::callIos5, CallHistoryLayout::callIos7,
                                           CallHistoryLayout::callRecordClassic,
                                           CallHistoryLayout::callRecordIos17),
                         [](const auto& info) { return test::layoutName(info.param); });

TEST(CallsDecoderFailureTest, MissingAndForeignFiles) {
    test::TempFolder temp;
    std::vector<CallRecord> out;
    EXPECT_EQ(decodeCalls(temp / "none.db", {}, DecodeContext{}, out), kStatusFileMissing);
    test::writeFile(temp / "x.db", std::string(2048, 'x'));
    EXPECT_EQ(decodeCalls(temp / "x.db", {}, DecodeContext{}, out), kStatusInvalid);
}

} // namespace
} // namespace orvelle
