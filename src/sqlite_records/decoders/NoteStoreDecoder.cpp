#include "sqlite_records/decoders/NoteStoreDecoder.h"

#include "core/NoteText.h"
#include "note_document/NoteDocument.h"
#include "platform/File.h"
#include "sqlite_records/PageMaps.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/NotesDecoder.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace orvelle {

namespace {

constexpr std::string_view kObjectTable = "ZICCLOUDSYNCINGOBJECT";
constexpr std::string_view kNoteDataTable = "ZICNOTEDATA";

enum ObjectField : std::size_t {
    kTitle1,
    kTitle,
    kCreated3,
    kCreated1,
    kCreated,
    kModified1,
    kModified,
    kNoteData,
    kFolder,
    kFolderTitle,
    kFolderType,
    kLocked,
    kMarkedForDeletion,
    kIdentifier,
    kTypeUti,
    kFileName,
    kUserTitle,
    kAltText,
    kMedia,
};
// No fixed positions: without its schema the table cannot be told apart.
constexpr std::array<FieldColumn, 19> kObjectFields{{
    {"ZTITLE1"},
    {"ZTITLE"},
    {"ZCREATIONDATE3"},
    {"ZCREATIONDATE1"},
    {"ZCREATIONDATE"},
    {"ZMODIFICATIONDATE1"},
    {"ZMODIFICATIONDATE"},
    {"ZNOTEDATA"},
    {"ZFOLDER"},
    {"ZTITLE2"},
    {"ZFOLDERTYPE"},
    {"ZISPASSWORDPROTECTED"},
    {"ZMARKEDFORDELETION"},
    {"ZIDENTIFIER"},
    {"ZTYPEUTI"},
    {"ZFILENAME"},
    {"ZUSERTITLE"},
    {"ZALTTEXT"},
    {"ZMEDIA"},
}};

enum DataField : std::size_t { kDataNote, kData };
constexpr std::array<FieldColumn, 2> kDataFields{{{"ZNOTE"}, {"ZDATA"}}};

/// ZFOLDERTYPE of the "Recently Deleted" folder, and its title where the
/// type is not stored.
constexpr std::int64_t kTrashFolderType = 1;
constexpr std::string_view kTrashFolderTitle = "Recently Deleted";

struct StoreNote {
    std::int64_t rowId = 0; ///< 0 when carved
    std::uint32_t deleted = kLive;
    std::string title;
    std::int64_t noteData = 0; ///< ZNOTEDATA: the note data row; 0 when none
    std::int64_t folder = 0;
    std::optional<std::int64_t> created;
    std::optional<std::int64_t> modified;
    bool locked = false;
    bool markedForDeletion = false;
};

struct StoreFolder {
    std::string title;
    std::optional<std::int64_t> type;
};

struct StoreAttachment {
    std::string typeUti;
    std::string name;
    std::int64_t media = 0; ///< the media row holding the file name; 0 when none
};

struct NoteData {
    std::int64_t rowId = 0; ///< 0 when carved
    std::int64_t note = 0;  ///< ZNOTE: the note row; 0 when unknown
    std::uint32_t deleted = kLive;
    NoteDocumentStatus status = NoteDocumentStatus::notGzip;
    NoteDocument document;
    bool claimed = false;
};

/// What the object table holds, by kind of row.
struct StoreObjects {
    std::vector<StoreNote> notes;
    std::unordered_map<std::int64_t, StoreFolder> folders;
    std::unordered_map<std::string, StoreAttachment> attachments; ///< by ZIDENTIFIER
    std::unordered_map<std::int64_t, std::string> mediaNames;     ///< ZFILENAME by row id
};

/// The first text of `fields` that the row holds. False when one of them is
/// not a usable text (the row is then not taken).
bool firstText(const Row& row, const TableColumns& columns, std::initializer_list<std::size_t> fields,
               std::string& out) {
    out.clear();
    for (const std::size_t field : fields) {
        const TextField read = readText(row, columns[field], out);
        if (read == TextField::rejected) return false;
        if (read == TextField::ok && !out.empty()) return true;
    }
    out.clear();
    return true;
}

std::optional<std::int64_t> firstDate(const Row& row, const TableColumns& columns,
                                      std::initializer_list<std::size_t> fields) {
    for (const std::size_t field : fields)
        if (const auto seconds = readAppleSeconds(row, columns[field])) return seconds;
    return std::nullopt;
}

bool isSet(const Row& row, const TableColumns& columns, std::size_t field) {
    return readNumber(row, columns[field]).value_or(0) != 0;
}

Status readObjects(SqliteFile& file, StoreObjects& objects) {
    const TableColumns columns = TableColumns::resolve(file, kObjectTable, kObjectFields, 0);
    return scanRecordTable(
        file, kObjectTable,
        [&](const Row& row) {
            std::string typeUti, folderTitle;
            if (!firstText(row, columns, {kTypeUti}, typeUti) ||
                !firstText(row, columns, {kFolderTitle}, folderTitle))
                return kStatusInvalid;
            const auto noteData = readKey(row, columns[kNoteData]);
            if (noteData && *noteData > 0) {
                StoreNote note;
                if (!firstText(row, columns, {kTitle1, kTitle}, note.title)) return kStatusInvalid;
                note.rowId = row.rowid;
                note.deleted = row.deleted;
                note.noteData = *noteData;
                note.folder = readKey(row, columns[kFolder]).value_or(0);
                note.created = firstDate(row, columns, {kCreated3, kCreated1, kCreated});
                note.modified = firstDate(row, columns, {kModified1, kModified});
                note.locked = isSet(row, columns, kLocked);
                note.markedForDeletion = isSet(row, columns, kMarkedForDeletion);
                objects.notes.push_back(std::move(note));
                return kStatusOk;
            }
            const auto folderType = readNumber(row, columns[kFolderType]);
            if (!folderTitle.empty() || folderType) {
                // A folder's row id is what its notes name: a carved folder
                // row has lost it and cannot be found.
                if (row.rowid != 0)
                    objects.folders.try_emplace(row.rowid, StoreFolder{folderTitle, folderType});
                return kStatusOk;
            }
            std::string fileName;
            if (!firstText(row, columns, {kFileName}, fileName)) return kStatusInvalid;
            if (!typeUti.empty()) {
                std::string identifier;
                StoreAttachment attachment;
                if (!firstText(row, columns, {kIdentifier}, identifier) ||
                    !firstText(row, columns, {kFileName, kUserTitle, kTitle, kAltText}, attachment.name))
                    return kStatusInvalid;
                attachment.typeUti = std::move(typeUti);
                attachment.media = readKey(row, columns[kMedia]).value_or(0);
                // The live row comes first and wins over older copies.
                if (!identifier.empty()) objects.attachments.try_emplace(identifier, std::move(attachment));
                return kStatusOk;
            }
            if (!fileName.empty() && row.rowid != 0) objects.mediaNames.try_emplace(row.rowid, fileName);
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

/// Reads the note data rows. Each document may inflate only to what is left
/// of `textBudget` after the texts already kept.
Status readNoteData(SqliteFile& file, std::vector<NoteData>& out, std::size_t textBudget) {
    const TableColumns columns = TableColumns::resolve(file, kNoteDataTable, kDataFields, 0);
    std::size_t held = 0;
    return scanRecordTable(
        file, kNoteDataTable,
        [&](const Row& row) {
            NoteData data;
            data.rowId = row.rowid;
            data.note = readKey(row, columns[kDataNote]).value_or(0);
            data.deleted = row.deleted;
            const RecordValue* blob = columnValue(row, columns[kData]);
            if (blob && (blob->kind == ValueKind::blob || blob->kind == ValueKind::text)) {
                const std::size_t room = std::min(kMaxNoteDocumentSize, textBudget - held);
                data.status = readNoteDocument(blob->bytes, data.document, room);
                if (data.status == NoteDocumentStatus::ok) held += data.document.text.size();
            }
            // A carved row whose document is lost tells nothing; one too
            // large to keep still gives its note the mark.
            if (row.deleted != kLive && data.status != NoteDocumentStatus::ok &&
                data.status != NoteDocumentStatus::tooLarge)
                return kStatusInvalid;
            out.push_back(std::move(data));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

/// The first line of a note's text: Notes takes a note's title from it.
std::string firstLine(const std::string& text) {
    const std::size_t start = text.find_first_not_of("\r\n");
    if (start == std::string::npos) return {};
    return text.substr(start, text.find_first_of("\r\n", start) - start);
}

/// Finds a note's data: through its link, then through the data's link back
/// to the note, then (both rows carved) by the note's title.
NoteData* findData(const StoreNote& note, std::vector<NoteData>& data,
                   const std::unordered_map<std::int64_t, std::vector<std::size_t>>& byRowId) {
    if (const auto it = byRowId.find(note.noteData); it != byRowId.end())
        for (const std::size_t i : it->second)
            if (!data[i].claimed) return &data[i];
    if (note.rowId != 0)
        for (NoteData& candidate : data)
            if (!candidate.claimed && candidate.rowId == 0 && candidate.note == note.rowId) return &candidate;
    if (note.deleted != kLive && !note.title.empty())
        for (NoteData& candidate : data)
            if (!candidate.claimed && candidate.rowId == 0 && candidate.deleted != kLive &&
                firstLine(candidate.document.text) == note.title)
                return &candidate;
    return nullptr;
}

std::string attachmentLabel(const StoreObjects& objects, const NoteAttachmentRef& reference) {
    std::string uti = reference.typeUti;
    std::string name;
    if (const auto it = objects.attachments.find(reference.identifier); it != objects.attachments.end()) {
        if (!it->second.typeUti.empty()) uti = it->second.typeUti;
        name = it->second.name;
        if (const auto media = objects.mediaNames.find(it->second.media); media != objects.mediaNames.end())
            name = media->second;
    }
    std::string label = "[" + attachmentKind(uti);
    if (!name.empty()) label += ": " + name;
    return label + "]";
}

std::string noteText(const StoreObjects& objects, const NoteDocument& document) {
    return noteTextWithAttachments(
        document, [&](const NoteAttachmentRef& ref) { return attachmentLabel(objects, ref); });
}

bool inTrash(const StoreFolder& folder) {
    return folder.type ? *folder.type == kTrashFolderType : folder.title == kTrashFolderTitle;
}

/// Joins notes to their documents. A document's text is let go once its
/// note's body is made, so that the texts are not held twice. `cut` tells
/// whether a note was given kCutNoteText.
std::vector<NoteRecord> joinNotes(StoreObjects& objects, std::vector<NoteData>& data, bool& cut) {
    cut = false;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> dataByRowId;
    for (std::size_t i = 0; i < data.size(); ++i)
        if (data[i].rowId != 0) dataByRowId[data[i].rowId].push_back(i);
    // A row can stand more than once in the file (a live row and its old copy
    // on a freed page or in the free space of a page it was moved from): a
    // note is one per data link and title, the live row first, then the
    // deleted copy that found its body. Stale copies of live notes, whose
    // pages are read after the live ones, add nothing.
    const auto identity = [](const StoreNote& note) {
        return std::to_string(note.noteData) + "\n" + note.title;
    };
    std::vector<NoteData*> bodies(objects.notes.size(), nullptr);
    std::unordered_set<std::string> withBody;
    for (std::size_t i = 0; i < objects.notes.size(); ++i) {
        bodies[i] = findData(objects.notes[i], data, dataByRowId);
        if (bodies[i]) {
            bodies[i]->claimed = true;
            withBody.insert(identity(objects.notes[i]));
        }
    }
    DateTextCache dates;
    std::vector<NoteRecord> out;
    out.reserve(objects.notes.size());
    std::unordered_set<std::string> shown;      // identities of the notes shown
    std::unordered_set<std::string> shownTexts; // their texts
    for (const StoreNote& note : objects.notes)
        if (note.deleted == kLive) shown.insert(identity(note));
    for (std::size_t i = 0; i < objects.notes.size(); ++i) {
        const StoreNote& note = objects.notes[i];
        NoteData* body = bodies[i];
        if (note.deleted != kLive) {
            const std::string id = identity(note);
            if ((!body && withBody.contains(id)) || !shown.insert(id).second) continue;
        }
        NoteRecord record;
        record.deleted = note.deleted;
        record.key = static_cast<std::uint32_t>(note.rowId);
        record.title = note.title;
        if (note.modified) record.date = dates.appleText(*note.modified);
        if (note.created) record.created = dates.appleText(*note.created);
        if (const auto folder = objects.folders.find(note.folder); folder != objects.folders.end()) {
            record.folder = folder->second.title;
            if (inTrash(folder->second)) record.deleted = kDeleted;
        }
        if (note.markedForDeletion) record.deleted = kDeleted;
        if (note.locked) {
            // The body is encrypted with the note's password: never shown, never guessed.
            record.locked = 1;
        } else if (body && body->status == NoteDocumentStatus::ok) {
            record.body = noteText(objects, body->document);
            std::string().swap(body->document.text);
            if (record.title.empty()) record.title = firstLine(record.body);
        } else if (body && body->status == NoteDocumentStatus::tooLarge) {
            record.body = kCutNoteText;
            cut = true;
        }
        if (record.date.empty()) record.date = record.created;
        if (record.title.empty() && record.body.empty() && !record.locked && note.deleted != kLive) continue;
        shownTexts.insert(record.body);
        out.push_back(std::move(record));
    }
    for (const NoteData& lone : data) {
        if (lone.claimed || lone.status != NoteDocumentStatus::ok) continue;
        NoteRecord record;
        record.deleted = kDeleted; // its note row is gone
        record.body = noteText(objects, lone.document);
        record.title = firstLine(record.body);
        if (record.body.empty() || !shownTexts.insert(record.body).second) continue;
        out.push_back(std::move(record));
    }
    return out;
}

} // namespace

bool isNoteStore(const SqliteFile& file) {
    ChildPageMap roots;
    return file.findTableRoots(kObjectTable, roots) == kStatusOk && !roots.empty();
}

std::string attachmentKind(std::string_view typeUti) {
    struct Kind {
        std::string_view uti;
        std::string_view kind;
    };
    static constexpr std::array<Kind, 24> kKinds{{
        {"public.jpeg", "Image"},
        {"public.png", "Image"},
        {"public.heic", "Image"},
        {"public.tiff", "Image"},
        {"com.compuserve.gif", "Image"},
        {"public.image", "Image"},
        {"public.movie", "Video"},
        {"com.apple.quicktime-movie", "Video"},
        {"public.mpeg-4", "Video"},
        {"public.audio", "Audio"},
        {"com.apple.m4a-audio", "Audio"},
        {"public.mp3", "Audio"},
        {"com.adobe.pdf", "PDF"},
        {"public.url", "Link"},
        {"public.vcard", "Contact"},
        {"com.apple.notes.table", "Table"},
        {"com.apple.notes.gallery", "Scanned document"},
        {"com.apple.drawing", "Drawing"},
        {"com.apple.drawing.2", "Drawing"},
        {"com.apple.paper", "Drawing"},
        {"com.apple.notes.sketch", "Drawing"},
        {"com.apple.notes.inlinetextattachment.hashtag", "Hashtag"},
        {"com.apple.notes.inlinetextattachment.mention", "Mention"},
        {"com.apple.notes.inlinetextattachment.link", "Link"},
    }};
    if (typeUti.empty()) return "Attachment";
    for (const Kind& kind : kKinds)
        if (kind.uti == typeUti) return std::string(kind.kind);
    return std::string(typeUti);
}

Status decodeNoteStore(const std::filesystem::path& noteStore, std::vector<NoteRecord>& out,
                       const DecodeContext& context, std::size_t textBudget) {
    out.clear();
    if (!platform::pathExists(noteStore)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = openDatabase(file, noteStore, context); status != kStatusOk) return status;
    return decodeNoteStore(file, out, textBudget);
}

Status decodeNoteStore(SqliteFile& file, std::vector<NoteRecord>& out, std::size_t textBudget) {
    out.clear();
    // A table that breaks off keeps what was read before the break; the
    // damage is still reported.
    StoreObjects objects;
    std::vector<NoteData> data;
    const Status dataStatus = readNoteData(file, data, textBudget);
    const Status objectStatus = readObjects(file, objects);
    bool cut = false;
    out = joinNotes(objects, data, cut);
    return firstProblem({objectStatus, dataStatus, cut ? kStatusNotesCut : kStatusOk});
}

Status decodeAnyNotes(const std::filesystem::path& database, std::vector<NoteRecord>& out,
                      const DecodeContext& context) {
    out.clear();
    if (!platform::pathExists(database)) return kStatusFileMissing;
    bool noteStore = false;
    {
        SqliteFile file;
        if (const Status status = openDatabase(file, database, context); status != kStatusOk) return status;
        noteStore = isNoteStore(file);
    }
    return noteStore ? decodeNoteStore(database, out, context) : decodeNotes(database, out, context);
}

} // namespace orvelle
