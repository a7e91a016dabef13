#pragma once
/// Notes from notes.sqlite: note metadata in `ZNOTE`, note bodies (HTML) in
/// `ZNOTEBODY`, both read live and deleted, paired, and the HTML turned into
/// plain text by a fixed set of replacements.
///
/// | table     | field | column             | position |
/// |-----------|-------|--------------------|----------|
/// | ZNOTE     | key   | ZBODY              | 11       |
/// |           | date  | ZMODIFICATIONDATE  | 14       |
/// |           | title | ZTITLE             | 19       |
/// | ZNOTEBODY | owner | ZOWNER             | 3        |
/// |           | body  | ZCONTENT           | 4        |
///
/// A body's key is its row id; it pairs with the first note whose ZBODY is
/// that key. A body carved from free space has lost its row id and pairs with
/// the note its ZOWNER names instead. When the note row was carved too, the
/// deleted halves are joined by the note's title (the body's first line) or,
/// without a title, by the keys they still hold: a half is never shown alone
/// when its other half was found. Bodies start with their first line, not
/// with the empty line of their opening "<div>".

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvelle {

class SqliteFile;

/// A row of either table as the row routines read it.
struct NoteRow {
    NoteRecord record;      ///< deleted, key, and date + title (ZNOTE) or body (ZNOTEBODY)
    std::int64_t rowId = 0; ///< the row's own row id; 0 when carved
    std::int64_t owner = 0; ///< ZNOTEBODY: the note's row id (ZOWNER); 0 when unknown
};

TableColumns noteColumns(const SqliteFile& file);
TableColumns noteBodyColumns(const SqliteFile& file);

Status decodeNoteRows(SqliteFile& file, const TableColumns& columns, std::vector<NoteRow>& out);
Status decodeNoteBodyRows(SqliteFile& file, const TableColumns& columns, std::vector<NoteRow>& out);

/// Pairs bodies with notes and cleans the texts: the bodies (with their note's
/// title and date), then the notes left without a body, minus items whose
/// title and body are both empty. Deleted halves that lost their row ids are
/// joined (see above).
std::vector<NoteRecord> pairNotes(std::vector<NoteRow> bodies, std::vector<NoteRow> notes);

/// The plain text of a note's HTML: the entities &#39; &quot; &lt; &gt; &nbsp;
/// &amp; and the tags <div> </div> <br> replaced in this order, each in one
/// left-to-right pass; other markup stays.
std::string noteHtmlToText(std::string text);

/// Decodes the notes database. Returns 0 or the open's code (no notes).
Status decodeNotes(const std::filesystem::path& notesDb, std::vector<NoteRecord>& out,
                   const DecodeContext& context = {});

} // namespace orvelle
