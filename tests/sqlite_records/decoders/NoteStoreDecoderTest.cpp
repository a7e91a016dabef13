#include "sqlite_records/decoders/NoteStoreDecoder.h"

#include "core/NoteText.h"
#include "support/DeviceDbNoteStore.h"
#include "support/DeviceDbNotes.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::NoteStoreDb;
using test::NoteStoreLayout;
using test::StoreAttachment;
using test::StoreNote;

/// The fields a test states, in one line for readable failures.
std::string describe(const NoteRecord& n) {
    return "deleted=" + std::to_string(n.deleted) + " locked=" + std::to_string(n.locked) + " title=[" +
           n.title + "] folder=[" + n.folder + "] date=[" + n.date + "] created=[" + n.created + "] body=[" +
           n.body + "]";
}

std::vector<std::string> describeAll(const std::vector<NoteRecord>& notes) {
    std::vector<std::string> lines;
    for (const NoteRecord& n : notes)
        lines.push_back(describe(n));
    return lines;
}

StoreNote noteTitled(const std::string& title, const std::string& text) {
    StoreNote note;
    note.title = title;
    note.text = title + "\n" + text;
    return note;
}

class NoteStoreLayoutTest : public ::testing::TestWithParam<NoteStoreLayout> {
protected:
    std::filesystem::path store() const { return m_temp / "NoteStore.sqlite"; }
    std::vector<NoteRecord> decode() {
        std::vector<NoteRecord> out;
        EXPECT_EQ(decodeNoteStore(store(), out), kStatusOk);
        return out;
    }
    test::TempFolder m_temp;
};

// Every kind of note a device keeps, live, in each column layout.
TEST_P(NoteStoreLayoutTest, LiveTrashedLockedAndMarkedNotes) {
    NoteStoreDb db(store(), GetParam());
    StoreNote groceries;
    groceries.attachments = {StoreAttachment{}, StoreAttachment{"public.url", "", "Example Domain"},
                             StoreAttachment{"com.example.unknown", "", ""}};
    db.addNote(groceries);
    StoreNote work = noteTitled("Meeting", "Agenda: budget ünd plans");
    work.folder = db.addFolder("Work");
    work.createdAppleSeconds = 700086400.5;
    work.modifiedAppleSeconds = 700086460;
    db.addNote(work);
    StoreNote trashed = noteTitled("Old idea", "Thrown away");
    trashed.folder = db.trashFolder();
    db.addNote(trashed);
    StoreNote locked = noteTitled("Secret", "PIN 1234");
    locked.locked = true;
    db.addNote(locked);
    StoreNote marked = noteTitled("", "");
    marked.text = "Purged soon\nbody";
    marked.markedForDeletion = true;
    db.addNote(marked);
    db.close();

    const std::string created = "2023-03-08 20:26:40";
    const std::string modified = "2023-03-08 20:27:40";
    const std::vector<std::string> expected{
        describe(NoteRecord{kLive, 0, modified, "Groceries",
                            "Groceries\nApples\nPears\n[Image: IMG_0001.jpg]\n[Link: Example Domain]\n"
                            "[com.example.unknown]",
                            "Notes", created}),
        describe(NoteRecord{kLive, 0, "2023-03-09 20:27:40", "Meeting", "Meeting\nAgenda: budget ünd plans",
                            "Work", "2023-03-09 20:26:40"}),
        describe(NoteRecord{kDeleted, 0, modified, "Old idea", "Old idea\nThrown away", "Recently Deleted",
                            created}),
        describe(NoteRecord{kLive, 0, modified, "Secret", "", "Notes", created, 1}),
        describe(NoteRecord{kDeleted, 0, modified, "Purged soon", "Purged soon\nbody", "Notes", created}),
    };
    EXPECT_EQ(describeAll(decode()), expected);
}

// Deleted notes: one whose rows became freeblocks, and a run whose pages were freed.
TEST_P(NoteStoreLayoutTest, CarvedNotesFromFreeblocksAndFreedPages) {
    NoteStoreDb db(store(), GetParam());
    db.addNote(noteTitled("Keep me", "still here"));
    const auto gone = db.addNote(noteTitled("Gone note", "deleted from a live page"));
    db.addNote(noteTitled("Keep me too", "also here"));
    std::vector<test::StoreNoteKeys> run;
    for (int i = 0; i < 40; ++i)
        run.push_back(db.addNote(
            noteTitled("Bulk " + std::to_string(i),
                       "a longer body so that forty notes fill several pages " + std::string(120, 'x'))));
    db.addNote(noteTitled("Last", "live after the run"));
    db.deleteNote(gone);
    db.exec("DELETE FROM ZICCLOUDSYNCINGOBJECT WHERE Z_PK BETWEEN " + std::to_string(run.front().note) +
            " AND " + std::to_string(run.back().note));
    db.exec("DELETE FROM ZICNOTEDATA WHERE Z_PK BETWEEN " + std::to_string(run.front().data) + " AND " +
            std::to_string(run.back().data));
    db.close();

    const auto out = decode();
    std::vector<std::string> live, deleted;
    for (const NoteRecord& n : out) {
        EXPECT_EQ(n.locked, 0u) << describe(n);
        (n.deleted == kLive ? live : deleted).push_back(n.title + "|" + n.body);
    }
    EXPECT_EQ(live,
              (std::vector<std::string>{"Keep me|Keep me\nstill here", "Keep me too|Keep me too\nalso here",
                                        "Last|Last\nlive after the run"}));
    std::sort(deleted.begin(), deleted.end());
    std::vector<std::string> expected{"Gone note|Gone note\ndeleted from a live page"};
    for (int i = 0; i < 40; ++i)
        expected.push_back("Bulk " + std::to_string(i) + "|Bulk " + std::to_string(i) +
                           "\na longer body so that forty notes fill several pages " + std::string(120, 'x'));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(deleted, expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, NoteStoreLayoutTest,
                         ::testing::Values(NoteStoreLayout::ios9, NoteStoreLayout::ios11,
                                           NoteStoreLayout::ios15, NoteStoreLayout::ios17),
                         [](const auto& info) { return test::layoutName(info.param); });

class NoteStoreDecoderTest : public ::testing::Test {
protected:
    test::TempFolder m_temp;
};

TEST_F(NoteStoreDecoderTest, EitherNotesDatabaseIsToldApartByItsSchema) {
    {
        NoteStoreDb db(m_temp / "NoteStore.sqlite");
        db.addNote(noteTitled("New style", "body"));
        db.close();
    }
    {
        test::NotesDb db(m_temp / "notes.sqlite");
        db.addNote(test::Note{});
        db.close();
    }
    std::vector<NoteRecord> out;
    ASSERT_EQ(decodeAnyNotes(m_temp / "NoteStore.sqlite", out), kStatusOk);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].title, "New style");
    ASSERT_EQ(decodeAnyNotes(m_temp / "notes.sqlite", out), kStatusOk);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].title, "Shopping");
    EXPECT_EQ(decodeAnyNotes(m_temp / "missing.sqlite", out), kStatusFileMissing);
    EXPECT_EQ(decodeNoteStore(m_temp / "notes.sqlite", out), kStatusTableMissing);
    EXPECT_TRUE(out.empty());
}

TEST_F(NoteStoreDecoderTest, ADamagedBodyLeavesTheNoteWithItsTitleOnly) {
    {
        NoteStoreDb db(m_temp / "NoteStore.sqlite");
        const auto keys = db.addNote(noteTitled("Broken", "text"));
        db.exec("UPDATE ZICNOTEDATA SET ZDATA = substr(ZDATA, 1, 20) WHERE Z_PK = " +
                std::to_string(keys.data));
    }
    std::vector<NoteRecord> out;
    ASSERT_EQ(decodeNoteStore(m_temp / "NoteStore.sqlite", out), kStatusOk);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(describe(out[0]), describe(NoteRecord{kLive, 0, "2023-03-08 20:27:40", "Broken", "", "Notes",
                                                    "2023-03-08 20:26:40"}));
}

// Ten small documents that each inflate to 100 kB, read with a budget for
// three and a half: the first three are whole, the rest cut and marked, and
// the texts held never pass the budget.
TEST_F(NoteStoreDecoderTest, NotesPastTheTextBudgetAreCutAndMarked) {
    constexpr std::size_t kInflated = 100000;
    constexpr std::size_t kBudget = 3 * kInflated + kInflated / 2;
    {
        NoteStoreDb db(m_temp / "NoteStore.sqlite");
        for (int i = 0; i < 10; ++i)
            db.addNote(noteTitled("Note " + std::to_string(i), std::string(kInflated, 'a' + i)));
        db.close();
    }
    std::vector<NoteRecord> out;
    ASSERT_EQ(decodeNoteStore(m_temp / "NoteStore.sqlite", out, {}, kBudget), kStatusNotesCut);
    ASSERT_EQ(out.size(), 10u);
    std::size_t held = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE(out[i].title);
        EXPECT_EQ(out[i].title, "Note " + std::to_string(i)) << "a cut note keeps its title";
        held += out[i].body.size();
        if (i < 3)
            EXPECT_EQ(out[i].body,
                      "Note " + std::to_string(i) + "\n" + std::string(kInflated, char('a' + i)));
        else
            EXPECT_EQ(out[i].body, kCutNoteText);
    }
    EXPECT_LE(held, kBudget);

    ASSERT_EQ(decodeNoteStore(m_temp / "NoteStore.sqlite", out), kStatusOk)
        << "the default budget holds them all";
    EXPECT_EQ(
        std::count_if(out.begin(), out.end(), [](const NoteRecord& n) { return n.body == kCutNoteText; }), 0);
}

// Stores that keep no folder type tell Recently Deleted by its title.
TEST_F(NoteStoreDecoderTest, RecentlyDeletedIsKnownByItsTitleWithoutAFolderType) {
    {
        NoteStoreDb db(m_temp / "NoteStore.sqlite");
        StoreNote trashed = noteTitled("Binned", "text");
        trashed.folder = db.trashFolder();
        db.addNote(trashed);
        StoreNote kept = noteTitled("Kept", "text");
        kept.folder = db.addFolder("Recently Deleted notes");
        db.addNote(kept);
        db.exec("UPDATE ZICCLOUDSYNCINGOBJECT SET ZFOLDERTYPE = NULL");
        db.close();
    }
    std::vector<NoteRecord> out;
    ASSERT_EQ(decodeNoteStore(m_temp / "NoteStore.sqlite", out), kStatusOk);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].title, "Binned");
    EXPECT_EQ(out[0].deleted, kDeleted);
    EXPECT_EQ(out[1].title, "Kept");
    EXPECT_EQ(out[1].deleted, kLive);
}

TEST(AttachmentKindTest, KnownTypesHaveReadableNames) {
    EXPECT_EQ(attachmentKind("public.heic"), "Image");
    EXPECT_EQ(attachmentKind("com.apple.quicktime-movie"), "Video");
    EXPECT_EQ(attachmentKind("com.adobe.pdf"), "PDF");
    EXPECT_EQ(attachmentKind("com.apple.notes.table"), "Table");
    EXPECT_EQ(attachmentKind("org.example.thing"), "org.example.thing");
    EXPECT_EQ(attachmentKind(""), "Attachment");
}

} // namespace
} // namespace orvelle
