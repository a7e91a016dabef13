#include "sqlite_records/decoders/ContactsDecoder.h"

#include "core/Text.h"
#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableSchema.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/ContactLookup.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/SqlValueLine.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace orvelle {

namespace {

enum ContactField : std::size_t { kFirst, kLast, kCompany, kPhones, kEmail, kAddress, kSocial, kUrl };

constexpr std::array<FieldColumn, 8> kOldLayout{{{"*First", 1},
                                                 {"*Last", 2},
                                                 {"*Organization", 7},
                                                 {"*Phone", 16},
                                                 {"*Email", 17},
                                                 {"*Address", 18},
                                                 {"*SocialProfile", 19},
                                                 {"*URL", 20}}};
constexpr std::array<FieldColumn, 8> kNewLayout{{{"*First", 1},
                                                 {"*Last", 2},
                                                 {"*Organization", 7},
                                                 {"*Phone", 17},
                                                 {"*Email", 18},
                                                 {"*Address", 19},
                                                 {"*SocialProfile", 20},
                                                 {"*URL", 21}}};

/// Every text of the row must be usable; texts and their fields.
Status readContactRow(const Row& row, const TableColumns& columns, ContactRecord& contact) {
    for (const auto& value : row.values)
        if (value.isText() && !isUsableText(value.bytes)) return kStatusInvalid;
    contact = ContactRecord{};
    contact.deleted = row.deleted;
    std::string first, last;
    readText(row, columns[kFirst], first);
    readText(row, columns[kLast], last);
    // First and last name with a blank between them when both are there.
    contact.name = first;
    if (!first.empty() && !last.empty()) contact.name += ' ';
    contact.name += last;
    readText(row, columns[kCompany], contact.company);
    readText(row, columns[kPhones], contact.phones);
    readText(row, columns[kEmail], contact.email);
    readText(row, columns[kAddress], contact.address);
    readText(row, columns[kSocial], contact.social);
    readText(row, columns[kUrl], contact.url);
    for (const char c : contact.phones)
        if (static_cast<unsigned char>(c) < 0x20) return kStatusInvalid;
    return kStatusOk;
}

/// Learns from a live cell what the page reader's carving rule needs.
void noteCell(SqliteFile& file, const Row& row) {
    if (row.mode != RowMode::cell) return;
    auto& state = file.state();
    // The header-length varint counts itself: one byte below 128.
    const std::uint64_t own = row.headerLength < 128 ? 1 : 2;
    if (row.headerLength > own)
        state.addressBookHeaderBytes = static_cast<std::int32_t>(row.headerLength - own);
    if (row.rowid > 0 && static_cast<std::uint64_t>(row.rowid) > state.maxContactRowId)
        state.maxContactRowId = static_cast<std::uint64_t>(row.rowid);
}

/// Characters (code points) of a UTF-8 text, as views.
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = pos + 1;
        while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
            ++next;
        out.push_back(text.substr(pos, next - pos));
        pos = next;
    }
    return out;
}

} // namespace

TableColumns fixedContactColumns(bool newLayout) {
    return TableColumns::fixed(
        newLayout ? std::span<const FieldColumn>(kNewLayout) : std::span<const FieldColumn>(kOldLayout), 0);
}

TableColumns contactColumns(const SqliteFile& file) {
    const bool newLayout = file.state().newAddressBookLayout != 0;
    return TableColumns::resolve(
        file, kContactTable,
        newLayout ? std::span<const FieldColumn>(kNewLayout) : std::span<const FieldColumn>(kOldLayout), 0);
}

Status decodeContactRows(SqliteFile& file, const TableColumns& columns, std::vector<ContactRecord>& rows) {
    return scanRecordTable(
        file, kContactTable,
        [&](const Row& row) {
            noteCell(file, row);
            ContactRecord contact;
            if (readContactRow(row, columns, contact) != kStatusOk) return kStatusInvalid;
            rows.push_back(std::move(contact));
            return kStatusOk;
        },
        columns);
}

std::optional<ContactLookup> loadContactLookup(const std::filesystem::path& addressBook,
                                               const DecodeContext& context, Status& status) {
    SqliteFile book;
    status = platform::pathExists(addressBook) ? openDatabase(book, addressBook, context) : kStatusFileMissing;
    if (status != kStatusOk) return std::nullopt;
    book.state().newAddressBookLayout = context.newAddressBookLayout ? 1 : 0;
    std::vector<ContactRecord> rows;
    status = decodeContactRows(book, rows);
    return ContactLookup(rows);
}

Status decodeContactRows(SqliteFile& file, std::vector<ContactRecord>& rows) {
    return decodeContactRows(file, contactColumns(file), rows);
}

std::string rebuildPhones(std::string_view phoneText) {
    std::vector<std::string_view> numbers;
    std::vector<std::string_view> previousTail;
    std::size_t start = 0;
    for (std::size_t space = phoneText.find(' '); space != std::string_view::npos;
         start = space + 1, space = phoneText.find(' ', start)) {
        const std::string_view piece = phoneText.substr(start, space - start);
        const auto chars = characters(piece);
        if (chars.size() < 7) continue;
        // The first two of the last four characters.
        const std::vector<std::string_view> tail(chars.end() - 4, chars.end() - 2);
        if (!previousTail.empty() && tail == previousTail) {
            // Another form of the same number: a number typed with blanks
            // ("(919) 888-7386") left only its local part as a piece; its
            // international form ("+19198887386") says the whole number.
            if (piece.front() == '+' && numbers.back().front() != '+') numbers.back() = piece;
            continue;
        }
        previousTail = tail;
        numbers.push_back(piece);
    }
    std::string result;
    for (const auto number : numbers) {
        if (!result.empty()) result += '\n';
        result += number;
    }
    return result;
}

Status decodeContacts(const std::filesystem::path& addressBook, const DecodeContext& context,
                      std::vector<ContactRecord>& out, std::uint64_t& maxContactRowId) {
    if (!platform::pathExists(addressBook)) return kStatusFileMissing;
    SqliteFile file;
    Status status = openDatabase(file, addressBook, context);
    std::vector<ContactRecord> rows;
    if (status == kStatusOk) {
        file.state().newAddressBookLayout = context.newAddressBookLayout ? 1 : 0;
        status = decodeContactRows(file, rows);
    }
    std::vector<ContactRecord> kept;
    for (auto& row : rows) {
        // A person with only an e-mail address (or only a name) is still a
        // contact; a row with no text at all tells nothing.
        if (row.name.empty() && row.phones.empty() && row.email.empty() && row.company.empty() &&
            row.address.empty() && row.url.empty() && row.social.empty())
            continue;
        if (row.name.empty()) row.name = "No Name";
        if (!row.phones.empty()) row.phones = rebuildPhones(row.phones);
        kept.push_back(std::move(row));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const ContactRecord& a, const ContactRecord& b) {
        return compareIgnoreCase(a.name, b.name) < 0;
    });
    out = std::move(kept);
    maxContactRowId = file.state().maxContactRowId;
    const int answer = reportProgress(context, 100);
    return answer != 0 ? answer : status;
}

Status exportContacts(const std::filesystem::path& addressBook, const std::filesystem::path& output,
                      std::uint64_t& maxContactRowId, const DecodeContext& context) {
    if (!platform::pathExists(addressBook)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = openDatabase(file, addressBook, context); status != kStatusOk) return status;
    std::ofstream stream(output, std::ios::binary | std::ios::app);
    if (!stream) return kStatusInvalid;
    const TableColumns columns = contactColumns(file);
    // With the table's statement the dump names its columns (the table keeps no dates).
    const auto schema = TableSchema::load(file, kContactTable);
    const std::size_t width = schema && columns.fromStatement() ? schema->columnCount() : 0;
    if (width > 0) stream << dumpHeaderLine(schema->columns(), {});
    const Status status = scanWithColumns(
        file, kContactTable,
        [&](const Row& row) {
            noteCell(file, row);
            ContactRecord contact;
            if (readContactRow(row, columns, contact) != kStatusOk) return kStatusInvalid;
            if (row.rowid > 0 && static_cast<std::uint64_t>(row.rowid) > maxContactRowId)
                maxContactRowId = static_cast<std::uint64_t>(row.rowid);
            SqlValueLine line;
            std::int64_t rowId = row.rowid;
            if (rowId == 0) rowId = static_cast<std::int64_t>(++maxContactRowId);
            line.addInteger(rowId);
            for (std::size_t i = 1; i < row.values.size(); ++i)
                line.add(row.values[i]);
            for (std::size_t i = row.values.size(); i < width; ++i)
                line.addRaw("NULL");
            stream << line.finish();
            return kStatusOk;
        },
        columns);
    return stream ? status : kStatusInvalid;
}

} // namespace orvelle
