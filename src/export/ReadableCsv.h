#pragma once
/// The readable CSV files an export writes beside its documents, one per
/// category, for spreadsheets: a header row, one line per record, dates as
/// the pages show them (local time), a "Deleted" column ("yes"/"no"), fields
/// quoted as RFC 4180 wants (CsvText.h). Each file starts with a UTF-8
/// byte-order mark so that spreadsheet programs read it as UTF-8.
///
/// | file                 | columns                                                        |
/// |----------------------|----------------------------------------------------------------|
/// | Messages             | Chat, Date, Direction, Name, Number, Text, Attachment, Deleted  |
/// | WhatsApp             | Chat, Date, Direction, Name, Number, Text, Attachment, Deleted  |
/// | Contacts             | Name, Phones, Email, Address, Home Page, Social, Company, Deleted |
/// | Call history         | Name, Number, Date, Direction, State, Duration, Deleted         |
/// | Notes                | Title, Date, Note, Deleted                                     |

#include "core/ItemRecords.h"

#include <string>
#include <string_view>

namespace orvelle {

/// The byte-order mark and header line of each file.
std::string messagesCsvHeader();
std::string whatsAppCsvHeader();
std::string contactsCsvHeader();
std::string callsCsvHeader();
std::string notesCsvHeader();

/// One line per record. Direction is "Sent" or "Received"; Name and Number
/// are the other party's (a group message: the member who wrote it).
std::string messageCsvLine(std::string_view chat, const MessageRecord& message);
std::string whatsAppCsvLine(std::string_view chat, const WhatsAppMessageRecord& message);
std::string contactCsvLine(const ContactRecord& contact);
std::string callCsvLine(const CallRecord& call);
std::string noteCsvLine(const NoteRecord& note);

} // namespace orvelle
