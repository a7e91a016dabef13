#pragma once
/// Notes of NoteStore.sqlite, where the Notes app keeps them since iOS 9.
/// Notes, folders, attachments and media files are all rows of one table,
/// `ZICCLOUDSYNCINGOBJECT`; a note's text is a gzip-compressed note document
/// (see note_document/NoteDocument.h) in `ZICNOTEDATA.ZDATA`. Both tables are
/// read live and deleted (free space and freed pages).
///
/// Columns are found by name, since the layout moved between iOS 9 and 17; a
/// field with several names takes the first of them that holds a value:
///
/// | field          | columns                                                |
/// |----------------|--------------------------------------------------------|
/// | note title     | ZTITLE1, ZTITLE                                        |
/// | created        | ZCREATIONDATE3, ZCREATIONDATE1, ZCREATIONDATE          |
/// | modified       | ZMODIFICATIONDATE1, ZMODIFICATIONDATE                  |
/// | note data      | ZNOTEDATA (the ZICNOTEDATA row); back: ZICNOTEDATA.ZNOTE |
/// | folder         | ZFOLDER; its title ZTITLE2, its type ZFOLDERTYPE       |
/// | locked         | ZISPASSWORDPROTECTED                                   |
/// | attachment     | ZIDENTIFIER, ZTYPEUTI; name: ZFILENAME (its own or its |
/// |                | ZMEDIA row's), ZUSERTITLE, ZTITLE, ZALTTEXT            |
///
/// Note documents are small, but each may inflate to 64 MB: a store of a few
/// megabytes could otherwise grow to gigabytes. The text held at once across
/// all notes of one decode (their inflated documents while the rows are
/// joined, then the records' bodies) is bounded by a budget: a document that
/// would inflate past what is left of it, or past the 64 MB a single note may
/// hold, is not kept, and its note reads kCutNoteText ("[Note too large:
/// cut]"); the decoder then answers kStatusNotesCut with every note it read.
///
/// A row is a note when it links note data, a folder when it has a folder
/// title or type, an attachment when it has a type UTI. A note is deleted when
/// its row was found in free space or on a freed page, when it stands in the
/// "Recently Deleted" folder (folder type 1, or that title) and when it is
/// marked for deletion. A password-protected note keeps its title and is
/// marked locked; its (encrypted) body is never read. Attachments appear in
/// the text as "[Kind: name]" where the document holds them.
///
/// A note row carved from free space has lost its row id, so its note data is
/// found through its ZNOTEDATA link; a carved note data row has lost its own,
/// so it is found through its ZNOTE link, or, when both halves were carved,
/// by the note's title being the text's first line. A deleted note data row
/// that no note row claims, and whose document is intact, is a note of its
/// own titled by its first line.

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class SqliteFile;

/// True when `file` holds the note store's table (ZICCLOUDSYNCINGOBJECT).
bool isNoteStore(const SqliteFile& file);

/// The readable kind of an attachment's type UTI ("Image", "Video", "PDF",
/// ...); the UTI itself when it is none of the known ones, "Attachment" when empty.
std::string attachmentKind(std::string_view typeUti);

/// How much inflated note text one decode of a note store may hold at once.
constexpr std::size_t kNoteTextBudget = std::size_t(256) << 20;

/// Decodes the note store. Returns 0, the open's code (no notes), the first
/// table problem, or kStatusNotesCut when notes were cut to keep within
/// `textBudget` (the notes read are kept in each case). The store's
/// write-ahead log is read as `context` says.
Status decodeNoteStore(const std::filesystem::path& noteStore, std::vector<NoteRecord>& out,
                       const DecodeContext& context = {}, std::size_t textBudget = kNoteTextBudget);

/// The same, from a file already open.
Status decodeNoteStore(SqliteFile& file, std::vector<NoteRecord>& out,
                       std::size_t textBudget = kNoteTextBudget);

/// Decodes either notes database, told apart by its schema: NoteStore.sqlite
/// or the older notes.sqlite.
Status decodeAnyNotes(const std::filesystem::path& database, std::vector<NoteRecord>& out,
                      const DecodeContext& context = {});

} // namespace orvelle
