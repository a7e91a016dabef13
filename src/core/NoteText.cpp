#include "core/NoteText.h"

namespace orvelle {

std::string_view noteBodyText(const NoteRecord& note) {
    return note.locked ? kLockedNoteText : std::string_view(note.body);
}

} // namespace orvelle
