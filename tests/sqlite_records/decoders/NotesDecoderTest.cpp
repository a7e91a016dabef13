#include "sqlite_records/decoders/NotesDecoder.h"

#include "sqlite_records/SqliteFile.h"
#include "support/DeviceDbNotes.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::Note;
using test::NotesDb;

class NotesDecoderTest : public ::testing::Test {
protected:
    std::filesystem::path notes() const { return m_temp / "notes.sqlite"; }
    std::vector<NoteRecord> decode() {
        std::vector<NoteRecord> out;
        EXPECT_EQ(decodeNotes(notes(), out), kStatusOk);
        return out;
    }
    test::TempFolder m_temp;
};

TEST_F(NotesDecoderTest, LiveNotesArePairedWithTheirBodies) {
    NotesDb db(notes());
    Note first;
    first.modifiedAppleSeconds = 599529600.75; // a float date, truncated
    const auto keys = db.addNote(first);
    Note second;
    second.title = "Title only";
    second.withBody = false;
    second.modifiedAppleSeconds = 599529660;
    db.addNote(second);
    Note blank;
    blank.title = "";
    blank.withBody = false;
    db.addNote(blank); // neither title nor body: not shown
    db.close();

    const auto out = decode();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].deleted, kLive);
    EXPECT_EQ(out[0].key, static_cast<std::uint32_t>(keys.body));
    EXPECT_EQ(out[0].title, "Shopping");
    EXPECT_EQ(out[0].date, "2020-01-01 00:00:00");
    EXPECT_EQ(out[0].body, "Milk\nBread & butter") << "no empty line from the opening <div>";
    EXPECT_EQ(out[1].title, "Title only");
    EXPECT_EQ(out[1].body, "");
    EXPECT_EQ(out[1].date, "2020-01-01 00:01:00");
}

TEST_F(NotesDecoderTest, ADeletedBodyPairsWithItsLiveNote) {
    NotesDb db(notes());
    for (int i = 0; i < 20; ++i) {
        Note n;
        n.title = "Note " + std::to_string(i);
        n.html = "<div>Body of note " + std::to_string(i) + " with some words to fill the page</div>";
        db.addNote(n);
    }
    db.deleteWhere("ZNOTEBODY", "Z_PK = 5");
    db.close();
    const auto out = decode();
    const auto body = std::find_if(out.begin(), out.end(), [](const NoteRecord& n) {
        return n.body == "Body of note 4 with some words to fill the page";
    });
    ASSERT_NE(body, out.end());
    EXPECT_EQ(body->deleted, kDeleted);
    EXPECT_EQ(body->title, "Note 4"); // from the live note that owned it
    EXPECT_EQ(body->key, 5u);
    EXPECT_EQ(std::count_if(out.begin(), out.end(), [](const NoteRecord& n) { return n.title == "Note 4"; }),
              1);
}

TEST_F(NotesDecoderTest, DeletedNotesComeBack) {
    NotesDb db(notes());
    for (int i = 0; i < 20; ++i) {
        Note n;
        n.title = "Note " + std::to_string(i);
        db.addNote(n);
    }
    db.deleteWhere("ZNOTE", "Z_PK = 8");
    db.deleteWhere("ZNOTEBODY", "Z_PK = 8");
    db.close();
    const auto out = decode();
    const auto note =
        std::find_if(out.begin(), out.end(), [](const NoteRecord& n) { return n.title == "Note 7"; });
    ASSERT_NE(note, out.end());
    EXPECT_EQ(note->deleted, kDeleted);
    EXPECT_EQ(note->date, "2020-01-01 00:00:00");
}

TEST_F(NotesDecoderTest, ADeletedNoteWhoseRowAndBodyComeBackApartIsOneNote) {
    // A small store, as a phone with a handful of notes has: both deleted rows
    // are carved from free space of their pages and lose their row ids.
    NotesDb db(notes());
    const char* titles[] = {"Shopping", "Passwords hint", "Trip plan", "Gift ideas", "Books to read"};
    for (int i = 0; i < 5; ++i) {
        Note n;
        n.title = titles[i];
        n.html = std::string("<div>") + titles[i] + "</div><div>line two of note " + std::to_string(i + 1) + "</div>";
        n.modifiedAppleSeconds = 599529600 + i * 86400;
        db.addNote(n);
    }
    db.deleteWhere("ZNOTE", "Z_PK = 2");
    db.deleteWhere("ZNOTEBODY", "Z_PK = 2");
    db.close();
    const auto out = decode();
    ASSERT_EQ(out.size(), 5u);
    const auto deleted =
        std::find_if(out.begin(), out.end(), [](const NoteRecord& n) { return n.deleted == kDeleted; });
    ASSERT_NE(deleted, out.end());
    EXPECT_EQ(deleted->title, "Passwords hint");
    EXPECT_EQ(deleted->body, "Passwords hint\nline two of note 2");
    EXPECT_EQ(deleted->date, "2020-01-02 00:00:00");
    EXPECT_EQ(std::count_if(out.begin(), out.end(), [](const NoteRecord& n) { return n.deleted == kDeleted; }), 1);
}

TEST_F(NotesDecoderTest, NotesOfFreedPagesComeBackAndBadTextsAreLeftOut) {
    NotesDb db(notes());
    for (int i = 0; i < 60; ++i) {
        Note n;
        n.title = "Note " + std::to_string(i);
        n.html = "<div>Body " + std::to_string(i) + std::string(200, '.') + "</div>";
        db.addNote(n);
    }
    db.exec("DELETE FROM ZNOTEBODY");
    Note bad;
    bad.title = "bad \xff title";
    db.addNote(bad);
    db.close();
    const auto out = decode();
    int recovered = 0;
    for (int i = 0; i < 60; ++i)
        recovered += std::any_of(out.begin(), out.end(), [&](const NoteRecord& n) {
            return n.deleted == kDeleted && n.title == "Note " + std::to_string(i) &&
                   n.body == "Body " + std::to_string(i) + std::string(200, '.');
        });
    EXPECT_GE(recovered, 50);
    EXPECT_FALSE(
        std::any_of(out.begin(), out.end(), [](const NoteRecord& n) { return n.title.find("bad") == 0; }));
}

TEST_F(NotesDecoderTest, ColumnsAreFoundByNameInTheTwentyColumnTable) {
    NotesDb db(notes());
    db.close();
    SqliteFile file;
    ASSERT_EQ(file.open(notes()), kStatusOk);
    const TableColumns note = noteColumns(file);
    EXPECT_EQ(note.columnCount(), 20u);
    EXPECT_EQ(note[0], 11); // ZBODY
    EXPECT_EQ(note[1], 14); // ZMODIFICATIONDATE
    EXPECT_EQ(note[2], 19); // ZTITLE
    const TableColumns body = noteBodyColumns(file);
    EXPECT_EQ(body.columnCount(), 7u);
    EXPECT_EQ(body[1], 4); // ZCONTENT
}

TEST(NoteHtmlTest, ReplacementsInOrderWithoutRescanning) {
    struct Case {
        const char* html;
        const char* text;
    };
    const Case cases[] = {
        {"&amp;lt;", "&lt;"},
        {"<div><br></div>", "\n\n"},
        {"It&#39;s &quot;fine&quot; &lt;b&gt;&nbsp;ok", "It's \"fine\" <b> ok"},
        {"<b>bold</b> stays", "<b>bold</b> stays"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(noteHtmlToText(c.html), c.text) << c.html;
}

TEST(NotesDecoderFailureTest, MissingFile) {
    test::TempFolder temp;
    std::vector<NoteRecord> out;
    EXPECT_EQ(decodeNotes(temp / "none.sqlite", out), kStatusFileMissing);
}

} // namespace
} // namespace orvelle
