#pragma once
/// The notes document: one table row of three cells per note (title, date,
/// body); a deleted note is marked.

#include "core/ItemRecords.h"

#include <string>

namespace orvelle {

/// "\t<tr>" + three "<td>...</td>" cells + "</tr>\r\n", values escaped.
std::string noteRow(const NoteRecord& note);

} // namespace orvelle
