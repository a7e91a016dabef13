#pragma once
/// notes.sqlite as devices write it: a ZNOTE row (title, dates, key of its
/// body) and a ZNOTEBODY row (HTML content, owner = the note's Z_PK).

#include "support/DeviceDb.h"

namespace orvelle::test {

/// One note; a blank one is "Shopping" with a two-line body.
struct Note {
    std::string title = "Shopping";
    std::string html = "<div>Milk</div><div>Bread &amp; butter</div>";
    double modifiedAppleSeconds = 599529600; ///< 2020-01-01 00:00:00 UTC
    bool withBody = true;
};

struct NoteKeys {
    std::int64_t note = 0; ///< ZNOTE.Z_PK
    std::int64_t body = 0; ///< ZNOTEBODY.Z_PK (= ZNOTE.ZBODY); 0 without a body
};

class NotesDb : public DeviceDb {
public:
    explicit NotesDb(std::filesystem::path path, int pageSize = 4096);
    NoteKeys addNote(const Note& note);

private:
    std::int64_t m_notes = 0;
    std::int64_t m_bodies = 0;
};

} // namespace orvelle::test
