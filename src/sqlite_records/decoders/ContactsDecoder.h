#pragma once
/// Address-book persons from AddressBook.sqlitedb. The full-text content table
/// `ABPersonFullTextSearch_content` holds all searchable texts of a person in
/// one row (docid = the person's row id; names, organisation, phone numbers
/// in every written form, e-mail, postal address, social profile, URL), so
/// that one table is read, live rows and deleted ones.
///
/// Its columns moved over the system versions (24, 25 and 26 columns: new
/// columns were inserted before the phone column), so fields are found by name
/// ("c15Phone" or "c16Phone" ...); the fixed positions below serve when the
/// table's statement cannot be read.
///
/// | field   | column name         | position (old / new layout) |
/// |---------|---------------------|-----------------------------|
/// | first   | c0First             | 1                           |
/// | last    | c1Last              | 2                           |
/// | company | c6Organization      | 7                           |
/// | phones  | cNPhone             | 16 / 17                     |
/// | email   | cNEmail             | 17 / 18                     |
/// | address | cNAddress           | 18 / 19                     |
/// | social  | cNSocialProfile     | 19 / 20                     |
/// | url     | cNURL               | 20 / 21                     |

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvelle {

class ContactLookup;
class SqliteFile;

constexpr std::string_view kContactTable = "ABPersonFullTextSearch_content";

/// The columns of the contact table in `file`: by name from its statement, else
/// the fixed positions of the layout `file.state().newAddressBookLayout` selects.
TableColumns contactColumns(const SqliteFile& file);
/// The fixed positions of the older (24-column) or newer layout.
TableColumns fixedContactColumns(bool newLayout);

/// The contact row routine run over the whole table (live and deleted rows),
/// raw: names not defaulted, phone texts as stored. Raises the file's
/// maxContactRowId. Returns 0 or the driver's error.
Status decodeContactRows(SqliteFile& file, std::vector<ContactRecord>& rows);
Status decodeContactRows(SqliteFile& file, const TableColumns& columns, std::vector<ContactRecord>& rows);

/// The name look-up of the address book at `addressBook` (for messages and
/// calls): none when the file is missing or cannot be opened. `status`
/// receives the open status, or the decoding status when it opened (a table
/// that breaks off still gives a look-up of the rows read before the break).
std::optional<ContactLookup> loadContactLookup(const std::filesystem::path& addressBook,
                                               const DecodeContext& context, Status& status);

/// The contact list of an address book: every row that holds any text (with
/// or without a phone number), "No Name" for rows without a name, one line
/// per number, sorted by name (ASCII case ignored). `maxContactRowId`
/// receives the largest live row id.
Status decodeContacts(const std::filesystem::path& addressBook, const DecodeContext& context,
                      std::vector<ContactRecord>& out, std::uint64_t& maxContactRowId);

/// The phone text of a contact row rebuilt as one number per line: pieces
/// between spaces of at least 7 characters, skipping a piece whose last four
/// characters begin like those of the piece taken before it (the same number
/// in another written form), except that an international form ("+1...")
/// replaces a local piece of the same number. The piece after the last space
/// is not looked at.
std::string rebuildPhones(std::string_view phoneText);

/// Appends every contact row, live and deleted, to `output` as SQL value lines
/// (SqlValueLine.h), after a header line when the table's statement can be
/// read: the row id (carved rows get maxContactRowId + 1, which is then
/// raised), then columns 1 onwards.
Status exportContacts(const std::filesystem::path& addressBook, const std::filesystem::path& output,
                      std::uint64_t& maxContactRowId, const DecodeContext& context = {});

} // namespace orvelle
