#pragma once
/// The contacts document: one table row of seven cells per contact (name,
/// phones, e-mail, address, home page, social profile, company); a deleted
/// contact is marked (TableRow.h).

#include "core/ItemRecords.h"

#include <string>

namespace orvelle {

/// "\t<tr>" + seven "<td>...</td>" cells + "</tr>\r\n", values escaped; the
/// phone numbers, one per line in the record, are joined by "<br />".
std::string contactRow(const ContactRecord& contact);

} // namespace orvelle
