#include "sqlite_records/decoders/NotesDecoder.h"

#include "core/AppleTime.h"
#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/RowValues.h"

#include <array>
#include <unordered_map>
#include <utility>

namespace orvelle {

namespace {

constexpr std::string_view kNoteTable = "ZNOTE";
constexpr std::string_view kNoteBodyTable = "ZNOTEBODY";

enum NoteField : std::size_t { kKey, kDate, kTitle };
constexpr std::array<FieldColumn, 3> kNoteFields{{{"ZBODY", 11}, {"ZMODIFICATIONDATE", 14}, {"ZTITLE", 19}}};
enum BodyField : std::size_t { kOwner, kContent };
constexpr std::array<FieldColumn, 2> kBodyFields{{{"ZOWNER", 3}, {"ZCONTENT", 4}}};

constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kHtmlReplacements{{
    {"&#39;", "'"},
    {"&quot;", "\""},
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&nbsp;", " "},
    {"&amp;", "&"},
    {"<div>", "\n"},
    {"</div>", ""},
    {"<br>", "\n"},
}};

bool allTextsUsable(const Row& row) {
    for (const auto& value : row.values)
        if (value.isText() && !isUsableText(value.bytes)) return false;
    return true;
}

/// A body starts with its first "<div>", which would otherwise open every
/// note with an empty line.
std::string withoutLeadingLineBreaks(std::string text) {
    const std::size_t first = text.find_first_not_of("\r\n");
    text.erase(0, first == std::string::npos ? text.size() : first);
    return text;
}

/// The first line of a note's text: Notes takes a note's title from it.
std::string firstLine(const std::string& html) {
    const std::string text = withoutLeadingLineBreaks(noteHtmlToText(html));
    return text.substr(0, text.find_first_of("\r\n"));
}

/// A deleted note whose row and body were both carved from free space has
/// lost both row ids, so neither names the other any more: the note row still
/// holds its body's key (ZBODY) and the body its note's key (ZOWNER). The two
/// halves are one note when the note's title is the body's first line, or,
/// for a note row whose title is lost, when the keys agree (notes and bodies
/// are numbered together, one body per note). Each half joins once; a joined
/// note row is marked taken, so that it is not shown as a note of its own.
void joinDeletedHalves(std::vector<NoteRow>& notes, std::vector<bool>& taken, std::vector<NoteRecord>& items,
                       const std::vector<std::size_t>& loneBodies, const std::vector<std::int64_t>& loneOwners) {
    if (loneBodies.empty()) return;
    std::vector<std::string> firstLines;
    firstLines.reserve(loneBodies.size());
    for (const std::size_t at : loneBodies)
        firstLines.push_back(firstLine(items[at].body));
    std::vector<bool> joined(loneBodies.size(), false);
    const auto join = [&](std::size_t note, std::size_t body) {
        NoteRecord& item = items[loneBodies[body]];
        item.title = notes[note].record.title;
        item.date = notes[note].record.date;
        item.key = notes[note].record.key;
        taken[note] = true;
        joined[body] = true;
    };
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const NoteRecord& note = notes[i].record;
        if (taken[i] || note.deleted == kLive) continue;
        const std::string title = noteHtmlToText(note.title);
        for (std::size_t b = 0; b < loneBodies.size(); ++b) {
            if (joined[b]) continue;
            const bool sameTitle = !title.empty() && firstLines[b] == title;
            const bool sameKey = title.empty() && note.key != 0 && loneOwners[b] == note.key;
            if (sameTitle || sameKey) {
                join(i, b);
                break;
            }
        }
    }
}

} // namespace

TableColumns noteColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kNoteTable, kNoteFields, 0);
}
TableColumns noteBodyColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kNoteBodyTable, kBodyFields, 0);
}

Status decodeNoteRows(SqliteFile& file, const TableColumns& columns, std::vector<NoteRow>& out) {
    DateTextCache dates;
    return scanRecordTable(
        file, kNoteTable,
        [&](const Row& row) {
            if (!allTextsUsable(row)) return kStatusInvalid;
            NoteRow note;
            note.rowId = row.rowid;
            note.record.deleted = row.deleted;
            note.record.key = static_cast<std::uint32_t>(readKey(row, columns[kKey]).value_or(0));
            if (const auto seconds = readAppleSeconds(row, columns[kDate]))
                note.record.date = dates.appleText(*seconds);
            readText(row, columns[kTitle], note.record.title);
            out.push_back(std::move(note));
            return kStatusOk;
        },
        columns);
}

Status decodeNoteBodyRows(SqliteFile& file, const TableColumns& columns, std::vector<NoteRow>& out) {
    return scanRecordTable(
        file, kNoteBodyTable,
        [&](const Row& row) {
            if (!allTextsUsable(row)) return kStatusInvalid;
            NoteRow body;
            body.rowId = row.rowid;
            body.owner = readKey(row, columns[kOwner]).value_or(0);
            body.record.deleted = row.deleted;
            body.record.key = static_cast<std::uint32_t>(row.rowid);
            readText(row, columns[kContent], body.record.body);
            out.push_back(std::move(body));
            return kStatusOk;
        },
        columns);
}

std::string noteHtmlToText(std::string text) {
    for (const auto& [from, to] : kHtmlReplacements) {
        if (text.find(from) == std::string::npos) continue;
        std::string replaced;
        replaced.reserve(text.size());
        std::size_t start = 0;
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
            replaced.append(text, start, at - start);
            replaced += to;
            start = at + from.size();
        }
        replaced.append(text, start, std::string::npos);
        text = std::move(replaced);
    }
    return text;
}

std::vector<NoteRecord> pairNotes(std::vector<NoteRow> bodies, std::vector<NoteRow> notes) {
    // Notes by key and by row id, each list in note order; a note pairs once.
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> byKey;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> byRowId;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        byKey[notes[i].record.key].push_back(i);
        if (notes[i].rowId != 0) byRowId[notes[i].rowId].push_back(i);
    }
    std::vector<bool> taken(notes.size(), false);
    const auto takeFirst = [&](std::vector<std::size_t>* candidates) -> NoteRow* {
        if (!candidates) return nullptr;
        for (const std::size_t i : *candidates)
            if (!taken[i]) {
                taken[i] = true;
                return &notes[i];
            }
        return nullptr;
    };
    std::vector<NoteRecord> items;
    items.reserve(bodies.size() + notes.size());
    std::vector<std::size_t> loneBodies; // deleted bodies no note was found for, by position in items
    std::vector<std::int64_t> loneOwners;
    for (auto& body : bodies) {
        NoteRow* note = nullptr;
        if (body.rowId != 0) {
            const auto it = byKey.find(body.record.key);
            note = takeFirst(it == byKey.end() ? nullptr : &it->second);
        } else if (body.owner != 0) {
            const auto it = byRowId.find(body.owner);
            note = takeFirst(it == byRowId.end() ? nullptr : &it->second);
            if (note) body.record.key = note->record.key;
        }
        if (note) {
            body.record.title = note->record.title;
            body.record.date = note->record.date;
        } else if (body.record.deleted != kLive) {
            loneBodies.push_back(items.size());
            loneOwners.push_back(body.owner);
        }
        items.push_back(std::move(body.record));
    }
    joinDeletedHalves(notes, taken, items, loneBodies, loneOwners);
    for (std::size_t i = 0; i < notes.size(); ++i)
        if (!taken[i] && (!notes[i].record.title.empty() || !notes[i].record.body.empty()))
            items.push_back(std::move(notes[i].record));

    std::vector<NoteRecord> result;
    result.reserve(items.size());
    for (auto& item : items) {
        item.body = withoutLeadingLineBreaks(noteHtmlToText(std::move(item.body)));
        item.title = noteHtmlToText(std::move(item.title));
        if (item.title.empty() && item.body.empty()) continue;
        result.push_back(std::move(item));
    }
    return result;
}

Status decodeNotes(const std::filesystem::path& notesDb, std::vector<NoteRecord>& out, const DecodeContext& context) {
    out.clear();
    if (!platform::pathExists(notesDb)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = openDatabase(file, notesDb, context); status != kStatusOk) return status;
    std::vector<NoteRow> bodies, notes;
    // A table that breaks off keeps what was read before the break; the
    // damage is still reported.
    const Status bodyStatus = decodeNoteBodyRows(file, noteBodyColumns(file), bodies);
    const Status noteStatus = decodeNoteRows(file, noteColumns(file), notes);
    out = pairNotes(std::move(bodies), std::move(notes));
    return firstProblem({noteStatus, bodyStatus});
}

} // namespace orvelle
