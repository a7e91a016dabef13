#include "sqlite_records/decoders/NotesDecoder.h"

#include "core/AppleTime.h"
#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
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
        }
        items.push_back(std::move(body.record));
    }
    for (std::size_t i = 0; i < notes.size(); ++i)
        if (!taken[i] && (!notes[i].record.title.empty() || !notes[i].record.body.empty()))
            items.push_back(std::move(notes[i].record));

    std::vector<NoteRecord> result;
    result.reserve(items.size());
    for (auto& item : items) {
        item.body = noteHtmlToText(std::move(item.body));
        item.title = noteHtmlToText(std::move(item.title));
        if (item.title.empty() && item.body.empty()) continue;
        result.push_back(std::move(item));
    }
    return result;
}

Status decodeNotes(const std::filesystem::path& notesDb, std::vector<NoteRecord>& out) {
    out.clear();
    if (!platform::isRegularFile(notesDb)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = file.open(notesDb); status != kStatusOk) return status;
    std::vector<NoteRow> bodies, notes;
    // A table that breaks off keeps what was read before the break; the
    // damage is still reported.
    const Status bodyStatus = decodeNoteBodyRows(file, noteBodyColumns(file), bodies);
    const Status noteStatus = decodeNoteRows(file, noteColumns(file), notes);
    out = pairNotes(std::move(bodies), std::move(notes));
    return firstProblem({noteStatus, bodyStatus});
}

} // namespace orvelle
