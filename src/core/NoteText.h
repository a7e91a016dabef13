#pragma once
/// What a note shows where its text goes, the same in every view, document
/// and printout.

#include "core/ItemRecords.h"

#include <string_view>

namespace orvelle {

/// Shown instead of the text of a password-protected note, which cannot be read.
constexpr std::string_view kLockedNoteText = "[Locked]";

/// Stands as the text of a note whose document inflates past what a note, or
/// all notes of a store together, may hold in memory (see NoteStoreDecoder.h).
constexpr std::string_view kCutNoteText = "[Note too large: cut]";

/// The note's text, or kLockedNoteText for a locked note.
std::string_view noteBodyText(const NoteRecord& note);

} // namespace orvelle
