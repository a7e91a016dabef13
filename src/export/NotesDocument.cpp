#include "export/NotesDocument.h"

#include "export/TableRow.h"

namespace orvelle {

std::string noteRow(const NoteRecord& note) {
    return tableRow({note.title, note.date, note.body}, note.deleted != kLive);
}

} // namespace orvelle
