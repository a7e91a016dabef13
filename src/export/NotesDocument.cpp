#include "export/NotesDocument.h"

#include "core/NoteText.h"
#include "export/TableRow.h"

namespace orvelle {

std::string noteRow(const NoteRecord& note) {
    return tableRow({note.title, note.date, noteBodyText(note)}, note.deleted != kLive);
}

} // namespace orvelle
