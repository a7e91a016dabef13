#include "support/DeviceDbNotes.h"

namespace orvelle::test {

namespace {
// Core Data entity numbers of the notes store.
constexpr std::int64_t kNoteEntity = 6;
constexpr std::int64_t kBodyEntity = 7;
} // namespace

NotesDb::NotesDb(std::filesystem::path path, int pageSize)
    : DeviceDb(std::move(path), notesSchema(), pageSize) {}

NoteKeys NotesDb::addNote(const Note& note) {
    NoteKeys keys;
    keys.note = ++m_notes;
    if (note.withBody) keys.body = ++m_bodies;
    insert("ZNOTE", {{"Z_PK", SqlValue::of(keys.note)},
                     {"Z_ENT", SqlValue::of(kNoteEntity)},
                     {"Z_OPT", SqlValue::of(3)},
                     {"ZCONTAINSCJK", SqlValue::of(0)},
                     {"ZCONTENTTYPE", SqlValue::of(0)},
                     {"ZDELETEDFLAG", SqlValue::of(0)},
                     {"ZINTEGERID", SqlValue::of(1000 + keys.note)},
                     {"ZBODY", keys.body ? SqlValue::of(keys.body) : SqlValue::null()},
                     {"ZSTORE", SqlValue::of(1)},
                     {"ZCREATIONDATE", SqlValue::ofReal(note.modifiedAppleSeconds - 60)},
                     {"ZMODIFICATIONDATE", SqlValue::ofReal(note.modifiedAppleSeconds)},
                     {"ZGUID", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(keys.note) + 300))},
                     {"ZSUMMARY", SqlValue::text(note.title)},
                     {"ZTITLE", SqlValue::text(note.title)}});
    if (note.withBody)
        insert("ZNOTEBODY", {{"Z_PK", SqlValue::of(keys.body)},
                             {"Z_ENT", SqlValue::of(kBodyEntity)},
                             {"Z_OPT", SqlValue::of(1)},
                             {"ZOWNER", SqlValue::of(keys.note)},
                             {"ZCONTENT", SqlValue::text(note.html)}});
    return keys;
}

} // namespace orvelle::test
