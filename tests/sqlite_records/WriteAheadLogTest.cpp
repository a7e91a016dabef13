#include "sqlite_records/WriteAheadLog.h"

#include "../../fuzz/ExerciseLog.h"

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/MessagesDecoder.h"
#include "support/TempFolder.h"
#include "support/WriteAheadLogFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {
namespace {

using Texts = std::vector<std::string>;

std::filesystem::path logOf(const std::filesystem::path& database) {
    std::filesystem::path log = database;
    log += "-wal";
    return log;
}

/// The message texts a scan of `message` hands over: live ones, and deleted
/// ones by source, each text as often as it came.
struct Seen {
    Texts live;
    std::map<std::string, Texts> deleted; // source -> texts
};

Seen scanMessages(SqliteFile& file) {
    Seen seen;
    EXPECT_EQ(scanTable(file, "message",
                        [&seen](const Row& row) {
                            if (!isPlausibleRow(row)) return kStatusInvalid;
                            // Column 2 of the iOS 7 layout is the text.
                            if (row.values.size() < 3 || !row.values[2].isText()) return kStatusInvalid;
                            const std::string text(row.values[2].bytes);
                            if (row.deleted)
                                seen.deleted[std::string(rowSourceName(row.source))].push_back(text);
                            else
                                seen.live.push_back(text);
                            return kStatusOk;
                        }),
              kStatusOk);
    for (auto* texts : {&seen.live})
        std::sort(texts->begin(), texts->end());
    for (auto& [source, texts] : seen.deleted)
        std::sort(texts.begin(), texts.end());
    return seen;
}

Texts sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

Texts joined(const Texts& a, const Texts& b) {
    Texts all = a;
    all.insert(all.end(), b.begin(), b.end());
    return sorted(all);
}

class WriteAheadLogTest : public ::testing::Test {
protected:
    void SetUp() override { m_sms = test::buildSmsWithLog(m_temp / "sms.db"); }

    test::TempFolder m_temp;
    test::SmsWithLog m_sms;
};

TEST_F(WriteAheadLogTest, TheLogIsIndexedWithoutChangingEitherFile) {
    const auto databaseTime = std::filesystem::last_write_time(m_sms.database);
    const auto logSize = std::filesystem::file_size(logOf(m_sms.database));
    WriteAheadLog log;
    ASSERT_EQ(log.open(logOf(m_sms.database), 4096), kStatusOk);
    EXPECT_TRUE(log.problem().empty()) << log.problem();
    EXPECT_TRUE(log.hasCommit());
    const auto& frames = log.frames();
    ASSERT_EQ(frames.size(), test::logFrameCount(logOf(m_sms.database)));
    const auto committed = std::count_if(frames.begin(), frames.end(), [](const LogFrame& frame) {
        return frame.state == LogFrameState::committed;
    });
    EXPECT_EQ(static_cast<std::size_t>(committed), m_sms.committedFrames);
    EXPECT_EQ(frames.back().state, LogFrameState::uncommitted);
    EXPECT_TRUE(log.isSuperseded(frames.back()));
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&log](const LogFrame& frame) {
        return frame.state == LogFrameState::committed && log.isSuperseded(frame);
    })) << "the message page was committed more than once";
    log.close();
    EXPECT_EQ(std::filesystem::last_write_time(m_sms.database), databaseTime);
    EXPECT_EQ(std::filesystem::file_size(logOf(m_sms.database)), logSize);

    WriteAheadLog wrongPageSize;
    EXPECT_EQ(wrongPageSize.open(logOf(m_sms.database), 1024), kStatusInvalid);
    EXPECT_NE(wrongPageSize.problem().find("page size"), std::string::npos);
    EXPECT_EQ(wrongPageSize.open(m_temp / "none-wal", 4096), kStatusFileMissing);
}

TEST_F(WriteAheadLogTest, CommittedRowsAreLiveAndOtherVersionsGiveDeletedRowsOnce) {
    SqliteFile file;
    ASSERT_EQ(file.open(m_sms.database), kStatusOk);
    EXPECT_TRUE(file.logProblem().empty()) << file.logProblem();
    const Seen seen = scanMessages(file);
    EXPECT_EQ(seen.live, joined(m_sms.inFile, m_sms.inLog));
    ASSERT_EQ(seen.deleted.count("wal"), 1u);
    EXPECT_EQ(seen.deleted.at("wal"), sorted({m_sms.deletedInLog, m_sms.uncommitted}));
    EXPECT_EQ(seen.deleted.size(), 1u) << "no row of the log is carved a second time from the database";

    // Without the log the file alone is read.
    SqliteFile alone;
    ASSERT_EQ(alone.open(m_sms.database, LogOptions{false, {}}), kStatusOk);
    const Seen fileOnly = scanMessages(alone);
    EXPECT_EQ(fileOnly.live, sorted(m_sms.inFile));
    EXPECT_TRUE(fileOnly.deleted.empty());

    // A log named when opening is used wherever it lies.
    std::filesystem::rename(logOf(m_sms.database), m_temp / "stored-log");
    SqliteFile named;
    ASSERT_EQ(named.open(m_sms.database, LogOptions{true, m_temp / "stored-log"}), kStatusOk);
    EXPECT_EQ(scanMessages(named).live, joined(m_sms.inFile, m_sms.inLog));
}

TEST_F(WriteAheadLogTest, TheMessagesDecoderShowsTheLogsRows) {
    ConversationMap conversations;
    std::uint64_t maxRowId = 0;
    ASSERT_EQ(decodeMessages(m_sms.database, {}, DecodeContext{}, conversations, maxRowId), kStatusOk);
    Texts live;
    Texts deleted;
    for (const auto& [handle, messages] : conversations)
        for (const MessageRecord& message : messages)
            (message.deleted ? deleted : live).push_back(message.text);
    EXPECT_EQ(sorted(live), joined(m_sms.inFile, m_sms.inLog));
    EXPECT_EQ(sorted(deleted), sorted({m_sms.deletedInLog, m_sms.uncommitted}));
}

// A log that is damaged, from another generation or cut short: the live view
// keeps what stands before the fault; every frame is still carved; the reader
// says what was wrong.
TEST_F(WriteAheadLogTest, AFaultyLogIsAppliedOnlyUpToItsFault) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path& log)> spoil;
        bool logRowsLive; ///< the log's committed rows are still live
        const char* problem;
    };
    const std::size_t committed = m_sms.committedFrames;
    const Case cases[] = {
        {"damaged first frame", [](const auto& log) { test::damageLogFrame(log, 0); }, false, "damaged"},
        {"damaged frame after the commits",
         [committed](const auto& log) { test::damageLogFrame(log, committed); }, true, "damaged"},
        {"other salts", [](const auto& log) { test::changeLogSalts(log); }, false, "salts"},
        {"cut inside the first frame",
         [](const auto& log) { std::filesystem::resize_file(log, kLogHeaderSize + 100); }, false, "truncated"},
        {"cut inside the uncommitted frame",
         [committed](const auto& log) {
             const std::size_t frame = kLogFrameHeaderSize + 4096;
             std::filesystem::resize_file(log, kLogHeaderSize + committed * frame + frame / 2);
         },
         true, "truncated"},
        {"header only", [](const auto& log) { std::filesystem::resize_file(log, kLogHeaderSize); }, false, ""},
        {"shorter than its header", [](const auto& log) { std::filesystem::resize_file(log, 20); }, false,
         "header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path database = m_temp / (std::string(c.name) + ".db");
        std::filesystem::copy_file(m_sms.database, database);
        std::filesystem::copy_file(logOf(m_sms.database), logOf(database));
        c.spoil(logOf(database));
        SqliteFile file;
        ASSERT_EQ(file.open(database), kStatusOk);
        EXPECT_NE(file.logProblem().find(c.problem), std::string::npos) << file.logProblem();
        const Seen seen = scanMessages(file);
        EXPECT_EQ(seen.live, c.logRowsLive ? joined(m_sms.inFile, m_sms.inLog) : sorted(m_sms.inFile));
        // Nothing is live twice, nothing live is also deleted.
        const Texts wal = seen.deleted.count("wal") ? seen.deleted.at("wal") : Texts{};
        for (const std::string& text : wal)
            EXPECT_EQ(std::count(seen.live.begin(), seen.live.end(), text), 0) << text;
        EXPECT_EQ(std::adjacent_find(wal.begin(), wal.end()), wal.end());
        if (std::string_view(c.name) == "other salts") // no frame applies, every frame is carved
            EXPECT_EQ(wal, joined(m_sms.inLog, {m_sms.deletedInLog, m_sms.uncommitted}));
    }
}

// The inputs that once troubled the log reader, and hand-made hostile ones
// (tests/data/wal/, each a database and its log as the log fuzz target takes
// them), read as the fuzz target reads them: never a crash, a hang or an
// allocation for pages that are nowhere. fuzz/run.sh replays them under the
// sanitizers.
TEST(WriteAheadLogRegressions, RegressionInputsAreReadSafely) {
    const std::filesystem::path folder = std::filesystem::path(ORVELLE_SOURCE_DIR) / "tests/data/wal";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder << " is missing";
    test::TempFolder temp;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        EXPECT_GT(fuzz::exerciseDatabaseWithLog(temp / "input.db",
                                                reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                  0u);
        SqliteFile file;
        ASSERT_EQ(file.open(temp / "input.db"), kStatusOk);
        EXPECT_LE(file.pageCount(), file.fileSize() / file.pageSize() + file.writeAheadLog().frames().size());
        ++files;
    }
    EXPECT_GT(files, 0) << folder << " holds no regression inputs";
}

} // namespace
} // namespace orvelle
