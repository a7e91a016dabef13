#include "support/DeviceDbNoteStore.h"

#include <stdexcept>
#include <zlib.h>

namespace orvelle::test {

namespace {

// Core Data entity numbers as a device numbers them (Z_PRIMARYKEY).
constexpr std::int64_t kAttachmentEntity = 5;
constexpr std::int64_t kMediaEntity = 10;
constexpr std::int64_t kNoteEntity = 11;
constexpr std::int64_t kAccountEntity = 13;
constexpr std::int64_t kFolderEntity = 14;
constexpr std::int64_t kTrashFolderType = 1;

const std::vector<std::string_view> kIos9Schema{
    "CREATE TABLE ZICCLOUDSYNCINGOBJECT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCRYPTOITERATIONCOUNT INTEGER, ZISPASSWORDPROTECTED INTEGER, ZMARKEDFORDELETION INTEGER, "
    "ZNEEDSINITIALFETCHFROMCLOUD INTEGER, ZCLOUDSTATE INTEGER, ZACCOUNT INTEGER, ZMEDIA INTEGER, ZNOTE "
    "INTEGER, ZORIENTATION INTEGER, ZTYPE INTEGER, ZFOLDER INTEGER, ZNOTEDATA INTEGER, ZFOLDERTYPE INTEGER, "
    "ZPARENT INTEGER, ZCREATIONDATE TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, ZMODIFICATIONDATE1 TIMESTAMP, "
    "ZIDENTIFIER VARCHAR, ZPASSWORDHINT VARCHAR, ZSUMMARY VARCHAR, ZTITLE VARCHAR, ZTYPEUTI VARCHAR, "
    "ZURLSTRING VARCHAR, ZFILENAME VARCHAR, ZSNIPPET VARCHAR, ZTITLE2 VARCHAR, ZNAME VARCHAR, ZCRYPTOSALT "
    "BLOB, ZCRYPTOTAG BLOB, ZSERVERRECORD BLOB )",
    "CREATE TABLE ZICNOTEDATA ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZNOTE INTEGER, "
    "ZCRYPTOINITIALIZATIONVECTOR BLOB, ZCRYPTOTAG BLOB, ZDATA BLOB )",
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER)",
};

const std::vector<std::string_view> kIos11Schema{
    "CREATE TABLE ZICCLOUDSYNCINGOBJECT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCRYPTOITERATIONCOUNT INTEGER, ZISPASSWORDPROTECTED INTEGER, ZMARKEDFORDELETION INTEGER, "
    "ZNEEDSINITIALFETCHFROMCLOUD INTEGER, ZCLOUDSTATE INTEGER, ZACCOUNT INTEGER, ZMEDIA INTEGER, ZNOTE "
    "INTEGER, ZTYPE INTEGER, ZFOLDER INTEGER, ZNOTEDATA INTEGER, ZFOLDERTYPE INTEGER, ZPARENT INTEGER, "
    "ZCREATIONDATE TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, ZCREATIONDATE1 TIMESTAMP, ZMODIFICATIONDATE1 "
    "TIMESTAMP, ZIDENTIFIER VARCHAR, ZPASSWORDHINT VARCHAR, ZSUMMARY VARCHAR, ZTITLE VARCHAR, ZTYPEUTI "
    "VARCHAR, ZURLSTRING VARCHAR, ZUSERTITLE VARCHAR, ZFILENAME VARCHAR, ZSNIPPET VARCHAR, ZTITLE1 VARCHAR, "
    "ZTITLE2 VARCHAR, ZNAME VARCHAR, ZCRYPTOSALT BLOB, ZCRYPTOTAG BLOB, ZMERGEABLEDATA BLOB )",
    "CREATE TABLE ZICNOTEDATA ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZNOTE INTEGER, "
    "ZCRYPTOINITIALIZATIONVECTOR BLOB, ZCRYPTOTAG BLOB, ZDATA BLOB )",
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER)",
};

const std::vector<std::string_view> kIos15Schema{
    "CREATE TABLE ZICCLOUDSYNCINGOBJECT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCRYPTOITERATIONCOUNT INTEGER, ZISPASSWORDPROTECTED INTEGER, ZMARKEDFORDELETION INTEGER, "
    "ZMINIMUMSUPPORTEDNOTESVERSION INTEGER, ZNEEDSINITIALFETCHFROMCLOUD INTEGER, ZNEEDSTOBEFETCHEDFROMCLOUD "
    "INTEGER, ZNEEDSTOSAVEUSERSPECIFICRECORD INTEGER, ZCLOUDSTATE INTEGER, ZACCOUNT INTEGER, "
    "ZCHECKEDFORLOCATION INTEGER, ZFILESIZE INTEGER, ZHANDWRITINGSUMMARYVERSION INTEGER, ZHASMARKUPDATA "
    "INTEGER, ZIMAGECLASSIFICATIONSUMMARYVERSION INTEGER, ZIMAGEFILTERTYPE INTEGER, "
    "ZNEEDSINITIALRELATIONSHIPSETUP INTEGER, ZOCRSUMMARYVERSION INTEGER, ZORIENTATION INTEGER, ZSECTION "
    "INTEGER, ZURLEXPIRED INTEGER, ZLOCATION INTEGER, ZMEDIA INTEGER, ZNOTE INTEGER, "
    "ZNOTEUSINGTITLEFORNOTETITLE INTEGER, ZPARENTATTACHMENT INTEGER, ZAPPEARANCETYPE INTEGER, "
    "ZSCALEWHENDRAWING INTEGER, ZVERSION INTEGER, ZVERSIONOUTOFDATE INTEGER, ZATTACHMENT INTEGER, ZSTATE "
    "INTEGER, ZACCOUNT1 INTEGER, ZACCOUNT2 INTEGER, ZMENTIONNOTIFICATIONATTEMPTCOUNT INTEGER, "
    "ZMENTIONNOTIFICATIONSTATE INTEGER, ZNOTE1 INTEGER, ZPARENTATTACHMENT1 INTEGER, ZTYPE INTEGER, ZACCOUNT3 "
    "INTEGER, ZATTACHMENT1 INTEGER, ZATTACHMENTVIEWTYPE INTEGER, ZISPINNED INTEGER, ZISSYSTEMPAPER INTEGER, "
    "ZLEGACYNOTEWASPLAINTEXT INTEGER, ZNOTEHASCHANGES INTEGER, ZPAPERSTYLETYPE INTEGER, "
    "ZPREFERREDBACKGROUNDTYPE INTEGER, ZACCOUNT4 INTEGER, ZFOLDER INTEGER, ZNOTEDATA INTEGER, "
    "ZTITLESOURCEATTACHMENT INTEGER, ZISHIDDENNOTECONTAINER INTEGER, ZSORTORDER INTEGER, ZOWNER INTEGER, "
    "ZACCOUNTTYPE INTEGER, ZDIDCHOOSETOMIGRATE INTEGER, ZDIDFINISHMIGRATION INTEGER, ZDIDMIGRATEONMAC "
    "INTEGER, "
    "ZSERVERSIDEUPDATETASKFAILURECOUNT INTEGER, ZSTOREDATASEPARATELY INTEGER, ZACCOUNTDATA INTEGER, "
    "ZCUSTOMNOTESORTTYPEVALUE INTEGER, ZFOLDERTYPE INTEGER, ZIMPORTEDFROMLEGACY INTEGER, ZACCOUNT5 INTEGER, "
    "ZPARENT INTEGER, ZCREATIONDATE TIMESTAMP, ZCROPPINGQUADBOTTOMLEFTX FLOAT, ZCROPPINGQUADBOTTOMLEFTY "
    "FLOAT, "
    "ZCROPPINGQUADBOTTOMRIGHTX FLOAT, ZCROPPINGQUADBOTTOMRIGHTY FLOAT, ZCROPPINGQUADTOPLEFTX FLOAT, "
    "ZCROPPINGQUADTOPLEFTY FLOAT, ZCROPPINGQUADTOPRIGHTX FLOAT, ZCROPPINGQUADTOPRIGHTY FLOAT, ZDURATION "
    "FLOAT, "
    "ZMODIFICATIONDATE TIMESTAMP, ZORIGINX FLOAT, ZORIGINY FLOAT, ZPREVIEWUPDATEDATE TIMESTAMP, ZSIZEHEIGHT "
    "FLOAT, ZSIZEWIDTH FLOAT, ZHEIGHT FLOAT, ZMODIFIEDDATE TIMESTAMP, ZSCALE FLOAT, ZWIDTH FLOAT, "
    "ZSTATEMODIFICATIONDATE TIMESTAMP, ZCREATIONDATE1 TIMESTAMP, ZCREATIONDATE2 TIMESTAMP, "
    "ZMODIFICATIONDATEATIMPORT TIMESTAMP, ZCREATIONDATE3 TIMESTAMP, ZFOLDERMODIFICATIONDATE TIMESTAMP, "
    "ZLASTACTIVITYRECENTUPDATESVIEWEDDATE TIMESTAMP, ZLASTACTIVITYSUMMARYVIEWEDDATE TIMESTAMP, "
    "ZLASTATTRIBUTIONSVIEWEDDATE TIMESTAMP, ZLASTNOTIFIEDDATE TIMESTAMP, ZLASTOPENEDDATE TIMESTAMP, "
    "ZLASTVIEWEDMODIFICATIONDATE TIMESTAMP, ZLEGACYMODIFICATIONDATEATIMPORT TIMESTAMP, ZMODIFICATIONDATE1 "
    "TIMESTAMP, ZCUSTOMNOTESORTTYPEMODIFICATIONDATE TIMESTAMP, ZDATEFORLASTTITLEMODIFICATION TIMESTAMP, "
    "ZPARENTMODIFICATIONDATE TIMESTAMP, ZIDENTIFIER VARCHAR, ZPASSWORDHINT VARCHAR, ZZONEOWNERNAME VARCHAR, "
    "ZADDITIONALINDEXABLETEXT VARCHAR, ZFALLBACKSUBTITLEIOS VARCHAR, ZFALLBACKSUBTITLEMAC VARCHAR, "
    "ZFALLBACKTITLE VARCHAR, ZHANDWRITINGSUMMARY VARCHAR, ZIMAGECLASSIFICATIONSUMMARY VARCHAR, ZOCRSUMMARY "
    "VARCHAR, ZREMOTEFILEURLSTRING VARCHAR, ZSUMMARY VARCHAR, ZTITLE VARCHAR, ZTYPEUTI VARCHAR, ZURLSTRING "
    "VARCHAR, ZUSERTITLE VARCHAR, ZDEVICEIDENTIFIER VARCHAR, ZDISPLAYTEXT VARCHAR, ZSTANDARDIZEDCONTENT "
    "VARCHAR, ZALTTEXT VARCHAR, ZTOKENCONTENTIDENTIFIER VARCHAR, ZTYPEUTI1 VARCHAR, ZCONTENTHASHATIMPORT "
    "VARCHAR, ZFILENAME VARCHAR, ZLEGACYCONTENTHASHATIMPORT VARCHAR, ZLEGACYIMPORTDEVICEIDENTIFIER VARCHAR, "
    "ZLEGACYMANAGEDOBJECTIDURIREPRESENTATION VARCHAR, ZSELECTEDINKCOLORSTRING VARCHAR, "
    "ZSELECTEDINKIDENTIFIER "
    "VARCHAR, ZSNIPPET VARCHAR, ZTHUMBNAILATTACHMENTIDENTIFIER VARCHAR, ZTITLE1 VARCHAR, "
    "ZACCOUNTNAMEFORACCOUNTLISTSORTING VARCHAR, ZNESTEDTITLEFORSORTING VARCHAR, ZNAME VARCHAR, "
    "ZSERVERSIDEUPDATETASKLASTATTEMPTEDBUILD VARCHAR, ZSERVERSIDEUPDATETASKLASTATTEMPTEDVERSION VARCHAR, "
    "ZSERVERSIDEUPDATETASKLASTCOMPLETEDBUILD VARCHAR, ZSERVERSIDEUPDATETASKLASTCOMPLETEDVERSION VARCHAR, "
    "ZUSERRECORDNAME VARCHAR, ZSMARTFOLDERQUERYJSON VARCHAR, ZTITLE2 VARCHAR, ZPAPERASSETSURL VARCHAR, "
    "ZPAPERDATABASEURL VARCHAR, ZREPLICAIDTOBUNDLEIDENTIFIER BLOB, ZACTIVITYEVENTSDATA BLOB, "
    "ZASSETCRYPTOINITIALIZATIONVECTOR BLOB, ZASSETCRYPTOTAG BLOB, ZCRYPTOINITIALIZATIONVECTOR BLOB, "
    "ZCRYPTOSALT BLOB, ZCRYPTOTAG BLOB, ZCRYPTOWRAPPEDKEY BLOB, ZENCRYPTEDVALUESJSON BLOB, "
    "ZREPLICAIDTONOTESVERSIONDATA BLOB, ZSERVERRECORDDATA BLOB, ZSERVERSHAREDATA BLOB, "
    "ZUNAPPLIEDENCRYPTEDRECORD BLOB, ZUSERSPECIFICSERVERRECORDDATA BLOB, ZMERGEABLEDATA BLOB, "
    "ZFALLBACKIMAGECRYPTOINITIALIZATIONVECTOR BLOB, ZFALLBACKIMAGECRYPTOTAG BLOB, "
    "ZLINKPRESENTATIONARCHIVEDMETADATA BLOB, ZMARKUPMODELDATA BLOB, ZMERGEABLEDATA1 BLOB, ZMETADATADATA "
    "BLOB, "
    "ZSYNAPSEDATA BLOB, ZCRYPTOMETADATAINITIALIZATIONVECTOR BLOB, ZCRYPTOMETADATATAG BLOB, "
    "ZENCRYPTEDMETADATA "
    "BLOB, ZMETADATA BLOB, ZLASTNOTIFIEDTIMESTAMPDATA BLOB, ZLASTVIEWEDTIMESTAMPDATA BLOB, "
    "ZREPLICAIDTOUSERIDDICTDATA BLOB, ZCRYPTOVERIFIER BLOB, ZSERVERSIDEUPDATETASKCONTINUATIONTOKEN BLOB, "
    "ZMERGEABLEDATA2 BLOB )",
    "CREATE TABLE ZICNOTEDATA ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZNOTE INTEGER, "
    "ZCRYPTOINITIALIZATIONVECTOR BLOB, ZCRYPTOTAG BLOB, ZDATA BLOB )",
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER)",
};

const std::vector<std::string_view> kIos17Schema{
    "CREATE TABLE ZICCLOUDSYNCINGOBJECT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCRYPTOITERATIONCOUNT INTEGER, ZISPASSWORDPROTECTED INTEGER, ZMARKEDFORDELETION INTEGER, "
    "ZNEEDSINITIALFETCHFROMCLOUD INTEGER, ZCLOUDSTATE INTEGER, ZACCOUNT INTEGER, ZFILESIZE INTEGER, "
    "ZLOCATION "
    "INTEGER, ZMEDIA INTEGER, ZNOTE INTEGER, ZPARENTATTACHMENT INTEGER, ZTYPE INTEGER, ZACCOUNT2 INTEGER, "
    "ZNOTE1 INTEGER, ZISPINNED INTEGER, ZPAPERSTYLETYPE INTEGER, ZACCOUNT4 INTEGER, ZFOLDER INTEGER, "
    "ZNOTEDATA "
    "INTEGER, ZFOLDERTYPE INTEGER, ZPARENT INTEGER, ZCREATIONDATE TIMESTAMP, ZDURATION FLOAT, "
    "ZMODIFICATIONDATE TIMESTAMP, ZCREATIONDATE1 TIMESTAMP, ZCREATIONDATE2 TIMESTAMP, ZCREATIONDATE3 "
    "TIMESTAMP, ZFOLDERMODIFICATIONDATE TIMESTAMP, ZLASTVIEWEDMODIFICATIONDATE TIMESTAMP, ZMODIFICATIONDATE1 "
    "TIMESTAMP, ZIDENTIFIER VARCHAR, ZPASSWORDHINT VARCHAR, ZSUMMARY VARCHAR, ZTITLE VARCHAR, ZTYPEUTI "
    "VARCHAR, ZURLSTRING VARCHAR, ZUSERTITLE VARCHAR, ZALTTEXT VARCHAR, ZTYPEUTI1 VARCHAR, ZFILENAME "
    "VARCHAR, "
    "ZSNIPPET VARCHAR, ZTITLE1 VARCHAR, ZNAME VARCHAR, ZTITLE2 VARCHAR, ZCRYPTOSALT BLOB, ZCRYPTOTAG BLOB, "
    "ZMERGEABLEDATA BLOB, ZMERGEABLEDATA1 BLOB, ZMETADATA BLOB )",
    "CREATE TABLE ZICNOTEDATA ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZNOTE INTEGER, "
    "ZCRYPTOINITIALIZATIONVECTOR BLOB, ZCRYPTOTAG BLOB, ZDATA BLOB )",
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER)",
};

/// Where a layout keeps a note's title and dates.
struct NoteColumns {
    std::string_view title;
    std::string_view created;
    std::string_view modified = "ZMODIFICATIONDATE1";
};

NoteColumns noteColumnsOf(NoteStoreLayout layout) {
    switch (layout) {
    case NoteStoreLayout::ios9:
        return {"ZTITLE", "ZCREATIONDATE"};
    case NoteStoreLayout::ios11:
        return {"ZTITLE1", "ZCREATIONDATE1"};
    case NoteStoreLayout::ios15:
    case NoteStoreLayout::ios17:
        break;
    }
    return {"ZTITLE1", "ZCREATIONDATE3"};
}

// Protocol-buffer wire format: a key is (field << 3) | wire type.
constexpr int kVarint = 0;
constexpr int kLengthDelimited = 2;

void putVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7f) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}
void putNumber(std::string& out, int field, std::uint64_t value) {
    putVarint(out, static_cast<std::uint64_t>(field) << 3 | kVarint);
    putVarint(out, value);
}
void putBytes(std::string& out, int field, std::string_view bytes) {
    putVarint(out, static_cast<std::uint64_t>(field) << 3 | kLengthDelimited);
    putVarint(out, bytes.size());
    out += bytes;
}

/// Length of a UTF-8 text in UTF-16 units, as attribute runs count.
std::uint64_t utf16Length(std::string_view text) {
    std::uint64_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xc0) != 0x80) units += byte >= 0xf0 ? 2 : 1;
    }
    return units;
}

/// A run of plain body text, with a paragraph style and a font as the app writes them.
std::string plainRun(std::uint64_t length) {
    std::string run, style, font;
    putNumber(run, 1, length);
    putNumber(style, 1, 0);
    putBytes(run, 2, style);
    putNumber(font, 1, 0);
    putBytes(run, 3, font);
    return run;
}

} // namespace

std::string layoutName(NoteStoreLayout layout) {
    switch (layout) {
    case NoteStoreLayout::ios9:
        return "Ios9";
    case NoteStoreLayout::ios11:
        return "Ios11";
    case NoteStoreLayout::ios15:
        return "Ios15";
    case NoteStoreLayout::ios17:
        break;
    }
    return "Ios17";
}

const std::vector<std::string_view>& noteStoreSchema(NoteStoreLayout layout) {
    switch (layout) {
    case NoteStoreLayout::ios9:
        return kIos9Schema;
    case NoteStoreLayout::ios11:
        return kIos11Schema;
    case NoteStoreLayout::ios15:
        return kIos15Schema;
    case NoteStoreLayout::ios17:
        break;
    }
    return kIos17Schema;
}

std::string noteDocumentMessage(std::string_view text, const std::vector<std::string>& attachmentIds,
                                const std::vector<std::string>& attachmentUtis) {
    std::string note;
    putBytes(note, 2, text);
    // A piece of the replica bookkeeping that the reader must skip.
    std::string chunk, position;
    putNumber(position, 1, 0);
    putNumber(position, 2, 0);
    putBytes(chunk, 1, position);
    putNumber(chunk, 2, utf16Length(text));
    putBytes(note, 3, chunk);
    // Runs: the text up to each placeholder, then the placeholder's run.
    std::size_t start = 0;
    std::size_t attachment = 0;
    for (std::size_t at = text.find(kAttachmentCharacter); at != std::string_view::npos;
         at = text.find(kAttachmentCharacter, start)) {
        if (at > start) putBytes(note, 5, plainRun(utf16Length(text.substr(start, at - start))));
        std::string run, info;
        putNumber(run, 1, 1);
        if (attachment < attachmentIds.size()) putBytes(info, 1, attachmentIds[attachment]);
        if (attachment < attachmentUtis.size()) putBytes(info, 2, attachmentUtis[attachment]);
        ++attachment;
        putBytes(run, 12, info);
        putBytes(note, 5, run);
        start = at + kAttachmentCharacter.size();
    }
    if (start < text.size()) putBytes(note, 5, plainRun(utf16Length(text.substr(start))));

    std::string document, message;
    putNumber(document, 1, 0);
    putNumber(document, 2, 0);
    putBytes(document, 3, note);
    putNumber(message, 1, 0);
    putBytes(message, 2, document);
    return message;
}

std::string gzipped(std::string_view bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

std::string noteDocumentBlob(std::string_view text, const std::vector<std::string>& attachmentIds,
                             const std::vector<std::string>& attachmentUtis) {
    return gzipped(noteDocumentMessage(text, attachmentIds, attachmentUtis));
}

NoteStoreDb::NoteStoreDb(std::filesystem::path path, NoteStoreLayout layout, int pageSize)
    : DeviceDb(std::move(path), noteStoreSchema(layout), pageSize), m_layout(layout) {
    insert("Z_PRIMARYKEY", {{"Z_ENT", SqlValue::of(kNoteEntity)}, {"Z_NAME", SqlValue::text("ICNote")}});
    insert("Z_PRIMARYKEY", {{"Z_ENT", SqlValue::of(kFolderEntity)}, {"Z_NAME", SqlValue::text("ICFolder")}});
    const std::int64_t account = nextKey();
    insert("ZICCLOUDSYNCINGOBJECT", {{"Z_PK", SqlValue::of(account)},
                                     {"Z_ENT", SqlValue::of(kAccountEntity)},
                                     {"Z_OPT", SqlValue::of(1)},
                                     {"ZNAME", SqlValue::text("iCloud")},
                                     {"ZIDENTIFIER", SqlValue::text(deviceGuid(900))}});
    m_trashFolder = nextKey();
    insert("ZICCLOUDSYNCINGOBJECT", {{"Z_PK", SqlValue::of(m_trashFolder)},
                                     {"Z_ENT", SqlValue::of(kFolderEntity)},
                                     {"Z_OPT", SqlValue::of(1)},
                                     {"ZFOLDERTYPE", SqlValue::of(kTrashFolderType)},
                                     {"ZTITLE2", SqlValue::text("Recently Deleted")},
                                     {"ZIDENTIFIER", SqlValue::text("TrashFolder-CloudKit")}});
    m_notesFolder = nextKey();
    insert("ZICCLOUDSYNCINGOBJECT", {{"Z_PK", SqlValue::of(m_notesFolder)},
                                     {"Z_ENT", SqlValue::of(kFolderEntity)},
                                     {"Z_OPT", SqlValue::of(1)},
                                     {"ZFOLDERTYPE", SqlValue::of(0)},
                                     {"ZTITLE2", SqlValue::text("Notes")},
                                     {"ZIDENTIFIER", SqlValue::text("DefaultFolder-CloudKit")}});
}

std::int64_t NoteStoreDb::addFolder(const std::string& title) {
    const std::int64_t folder = nextKey();
    insert("ZICCLOUDSYNCINGOBJECT",
           {{"Z_PK", SqlValue::of(folder)},
            {"Z_ENT", SqlValue::of(kFolderEntity)},
            {"Z_OPT", SqlValue::of(1)},
            {"ZFOLDERTYPE", SqlValue::of(0)},
            {"ZTITLE2", SqlValue::text(title)},
            {"ZIDENTIFIER", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(folder)))}});
    return folder;
}

StoreNoteKeys NoteStoreDb::addNote(const StoreNote& note) {
    const NoteColumns columns = noteColumnsOf(m_layout);
    StoreNoteKeys keys;
    keys.note = nextKey();
    keys.data = ++m_data;
    std::string text = note.text;
    std::vector<std::string> ids, utis;
    for (const StoreAttachment& attachment : note.attachments) {
        const std::int64_t row = nextKey();
        std::int64_t media = 0;
        if (!attachment.fileName.empty()) {
            media = nextKey();
            insert("ZICCLOUDSYNCINGOBJECT",
                   {{"Z_PK", SqlValue::of(media)},
                    {"Z_ENT", SqlValue::of(kMediaEntity)},
                    {"Z_OPT", SqlValue::of(1)},
                    {"ZFILENAME", SqlValue::text(attachment.fileName)},
                    {"ZIDENTIFIER", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(media)))}});
        }
        const std::string id = deviceGuid(static_cast<std::uint64_t>(row));
        NamedValues values{{"Z_PK", SqlValue::of(row)},
                           {"Z_ENT", SqlValue::of(kAttachmentEntity)},
                           {"Z_OPT", SqlValue::of(1)},
                           {"ZNOTE", SqlValue::of(keys.note)},
                           {"ZTYPEUTI", SqlValue::text(attachment.typeUti)},
                           {"ZIDENTIFIER", SqlValue::text(id)}};
        if (media != 0) values.push_back({"ZMEDIA", SqlValue::of(media)});
        if (!attachment.title.empty())
            values.push_back({m_layout == NoteStoreLayout::ios9 ? "ZTITLE" : "ZUSERTITLE",
                              SqlValue::text(attachment.title)});
        insert("ZICCLOUDSYNCINGOBJECT", values);
        ids.push_back(id);
        utis.push_back(attachment.typeUti);
        text += std::string("\n") + std::string(kAttachmentCharacter);
    }
    NamedValues values{{"Z_PK", SqlValue::of(keys.note)},
                       {"Z_ENT", SqlValue::of(kNoteEntity)},
                       {"Z_OPT", SqlValue::of(4)},
                       {"ZISPASSWORDPROTECTED", SqlValue::of(note.locked ? 1 : 0)},
                       {"ZMARKEDFORDELETION", SqlValue::of(note.markedForDeletion ? 1 : 0)},
                       {"ZFOLDER", SqlValue::of(note.folder != 0 ? note.folder : m_notesFolder)},
                       {"ZNOTEDATA", SqlValue::of(keys.data)},
                       {std::string(columns.created), SqlValue::ofReal(note.createdAppleSeconds)},
                       {std::string(columns.modified), SqlValue::ofReal(note.modifiedAppleSeconds)},
                       {"ZIDENTIFIER", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(keys.note)))},
                       {std::string(columns.title), SqlValue::text(note.title)}};
    if (note.locked) values.push_back({"ZCRYPTOSALT", SqlValue::blob(std::string(16, '\x5a'))});
    insert("ZICCLOUDSYNCINGOBJECT", values);

    NamedValues data{{"Z_PK", SqlValue::of(keys.data)},
                     {"Z_ENT", SqlValue::of(17)},
                     {"Z_OPT", SqlValue::of(1)},
                     {"ZNOTE", SqlValue::of(keys.note)}};
    if (note.locked) {
        // Encrypted with the note's password: bytes without structure.
        std::string sealed;
        for (std::size_t i = 0; i < 96 + note.text.size(); ++i)
            sealed += static_cast<char>((i * 131 + 17 + static_cast<std::size_t>(keys.note) * 7) & 0xff);
        data.push_back({"ZCRYPTOTAG", SqlValue::blob(std::string(16, '\x33'))});
        data.push_back({"ZDATA", SqlValue::blob(sealed)});
    } else {
        data.push_back({"ZDATA", SqlValue::blob(noteDocumentBlob(text, ids, utis))});
    }
    insert("ZICNOTEDATA", data);
    return keys;
}

void NoteStoreDb::deleteNote(const StoreNoteKeys& keys) {
    deleteWhere("ZICCLOUDSYNCINGOBJECT", "Z_PK = " + std::to_string(keys.note));
    deleteWhere("ZICNOTEDATA", "Z_PK = " + std::to_string(keys.data));
}

} // namespace orvelle::test
