#pragma once
/// NoteStore.sqlite as the Notes app writes it since iOS 9: notes, folders,
/// attachments and media rows in ZICCLOUDSYNCINGOBJECT, each note's text as a
/// gzip-compressed note document in ZICNOTEDATA.ZDATA. The documents are built
/// here byte by byte (protocol-buffer wire format, gzip through zlib), apart
/// from the program's reader, so that the reader is checked against the layout
/// rather than against itself.

#include "support/DeviceDb.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle::test {

/// The object table as iOS 9, iOS 11 to 14, iOS 15 (the statement of a real
/// device) and iOS 16/17 lay it out. They differ in where a note's title and
/// dates stand:
///
/// | layout | note title | created        | modified           | folder title |
/// |--------|------------|----------------|--------------------|--------------|
/// | ios9   | ZTITLE     | ZCREATIONDATE  | ZMODIFICATIONDATE1 | ZTITLE2      |
/// | ios11  | ZTITLE1    | ZCREATIONDATE1 | ZMODIFICATIONDATE1 | ZTITLE2      |
/// | ios15  | ZTITLE1    | ZCREATIONDATE3 | ZMODIFICATIONDATE1 | ZTITLE2      |
/// | ios17  | ZTITLE1    | ZCREATIONDATE3 | ZMODIFICATIONDATE1 | ZTITLE2      |
enum class NoteStoreLayout { ios9, ios11, ios15, ios17 };
std::string layoutName(NoteStoreLayout layout);
const std::vector<std::string_view>& noteStoreSchema(NoteStoreLayout layout);

/// An attachment of a note: its row, and its place in the text (U+FFFC).
struct StoreAttachment {
    std::string typeUti = "public.jpeg";
    std::string fileName = "IMG_0001.jpg"; ///< kept on the attachment's media row; empty: none
    std::string title;                     ///< ZUSERTITLE (links); empty: none
};

/// One note; a blank one is a live "Groceries" note in the "Notes" folder.
struct StoreNote {
    std::string title = "Groceries";
    /// The note's text; by default its first line is the title.
    std::string text = "Groceries\nApples\nPears";
    std::vector<StoreAttachment> attachments; ///< appended to the text, one U+FFFC each
    std::int64_t folder = 0;                  ///< a folder's row id; 0: the "Notes" folder
    double createdAppleSeconds = 700000000;   ///< 2023-03-08 20:26:40 UTC
    double modifiedAppleSeconds = 700000060;  ///< 2023-03-08 20:27:40 UTC
    bool locked = false; ///< password-protected: the body is written encrypted (random bytes)
    bool markedForDeletion = false;
};

struct StoreNoteKeys {
    std::int64_t note = 0; ///< the note's Z_PK
    std::int64_t data = 0; ///< its ZICNOTEDATA Z_PK
};

class NoteStoreDb : public DeviceDb {
public:
    /// A store with the account, the "Notes" folder and "Recently Deleted".
    explicit NoteStoreDb(std::filesystem::path path, NoteStoreLayout layout = NoteStoreLayout::ios17,
                         int pageSize = 4096);

    StoreNoteKeys addNote(const StoreNote& note);
    /// A folder of the user's; answers its row id.
    std::int64_t addFolder(const std::string& title);

    std::int64_t notesFolder() const { return m_notesFolder; }
    std::int64_t trashFolder() const { return m_trashFolder; }

    /// Deletes a note's object row and its note data row (freeblocks).
    void deleteNote(const StoreNoteKeys& keys);

private:
    std::int64_t nextKey() { return ++m_objects; }

    NoteStoreLayout m_layout;
    std::int64_t m_objects = 0;
    std::int64_t m_data = 0;
    std::int64_t m_notesFolder = 0;
    std::int64_t m_trashFolder = 0;
};

/// The note document message (protocol-buffer bytes, not compressed): the
/// text and one attribute run per attachment, with ids "attachment-1", ...
std::string noteDocumentMessage(std::string_view text, const std::vector<std::string>& attachmentIds,
                                const std::vector<std::string>& attachmentUtis);
/// `bytes` as a gzip stream.
std::string gzipped(std::string_view bytes);
/// A whole ZDATA value: gzipped(noteDocumentMessage(...)).
std::string noteDocumentBlob(std::string_view text, const std::vector<std::string>& attachmentIds = {},
                             const std::vector<std::string>& attachmentUtis = {});

/// The object replacement character (U+FFFC) that stands for an attachment in a note's text.
inline constexpr std::string_view kAttachmentCharacter = "\xEF\xBF\xBC";

} // namespace orvelle::test
