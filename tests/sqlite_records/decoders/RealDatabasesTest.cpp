// The decoders against databases from real devices (public forensic test
// images): every live row a decoder hands over must equal, field by field,
// what the SQLite library reads from the same table. The fixture builders
// share the reader's idea of the format; these files do not, so a misreading
// of a layout, a column mapping or a date that both sides make shows here.
//
// The Notes store of recent devices (NoteStore.sqlite) is compared on the
// note rows' fields the library can read; the note texts, which are
// compressed documents the library cannot open, are checked against what the
// file is known to hold.

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/decoders/ContactsDecoder.h"
#include "sqlite_records/decoders/MessagesDecoder.h"
#include "sqlite_records/decoders/NoteStoreDecoder.h"
#include "sqlite_records/decoders/WhatsAppDecoder.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace orvelle {
namespace {

namespace fs = std::filesystem;

const fs::path kRealFolder = fs::path(ORVELLE_SHARED_DATA) / "real";

/// One row as texts: the key that orders the rows, then the fields.
struct RowTexts {
    std::string key;
    std::vector<std::string> fields;
};

/// One table of one database: the library's query (key first, then the
/// fields; live rows in key order) and the decoder's live rows in the same form.
struct TableCase {
    const char* name;
    const char* database; ///< below real/
    const char* table;
    std::vector<const char*> fieldNames;
    std::string query;
    std::function<std::vector<RowTexts>(SqliteFile&, sqlite3*)> decodeLive;
};

std::string number(std::int64_t value) {
    return std::to_string(value);
}

/// An Apple time column as local-time text, by the library (the tests run in UTC).
std::string appleDateSql(const std::string& seconds) {
    return "coalesce(strftime('%Y-%m-%d %H:%M:%S', CAST(" + seconds + " AS INTEGER) + 978307200, 'unixepoch'), '')";
}

/// Every row of `query`, each column as text ("" for NULL).
std::vector<RowTexts> libraryRows(sqlite3* db, const std::string& query) {
    sqlite3_stmt* statement = nullptr;
    std::vector<RowTexts> rows;
    EXPECT_EQ(sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << query << ": " << sqlite3_errmsg(db);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        RowTexts row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            const std::string value = text ? std::string(text, sqlite3_column_bytes(statement, i)) : "";
            if (i == 0)
                row.key = value;
            else
                row.fields.push_back(value);
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    return rows;
}

int columnCount(sqlite3* db, const std::string& table) {
    const auto rows = libraryRows(db, "SELECT 0, count(*) FROM pragma_table_info('" + table + "')");
    return rows.empty() ? 0 : std::stoi(rows[0].fields[0]);
}

/// The live rows of a decoder's output, keyed by `key` (or by their order when it is null).
template <typename Record>
std::vector<RowTexts> liveRows(const std::vector<Record>& records, std::function<std::int64_t(const Record&)> key,
                               std::function<std::vector<std::string>(const Record&)> fields) {
    std::vector<RowTexts> rows;
    for (const Record& record : records)
        if (record.deleted == kLive)
            rows.push_back({number(key ? key(record) : static_cast<std::int64_t>(rows.size())), fields(record)});
    return rows;
}

const std::string kContactName =
    "coalesce(c0First, '') || CASE WHEN coalesce(c0First, '') <> '' AND coalesce(c1Last, '') <> '' "
    "THEN ' ' ELSE '' END || coalesce(c1Last, '')";
const std::string kJidUser = "CASE WHEN instr(%1, '@') > 0 THEN substr(%1, 1, instr(%1, '@') - 1) ELSE '' END";

std::string jidUserSql(const std::string& column) {
    std::string sql = kJidUser;
    for (std::size_t at; (at = sql.find("%1")) != std::string::npos;)
        sql.replace(at, 2, column);
    return sql;
}

std::vector<TableCase> tableCases() {
    return {
        {"SmsMessage",
         "ios13-sms/sms.db",
         "message",
         {"text", "handle_id", "date", "is_from_me"},
         "SELECT ROWID, text, handle_id, " +
             appleDateSql("CASE WHEN date > 1000000000000 THEN date / 1000000000 ELSE date END") +
             ", is_from_me FROM message ORDER BY ROWID",
         [](SqliteFile& file, sqlite3*) {
             std::vector<MessageRecord> out;
             EXPECT_EQ(decodeMessageRows(file, messageColumns(file), out), kStatusOk);
             return liveRows<MessageRecord>(
                 out, [](const MessageRecord& m) { return m.rowId; },
                 [](const MessageRecord& m) {
                     return std::vector<std::string>{m.text, number(m.handleId), m.date, number(m.fromMe)};
                 });
         }},
        {"SmsHandle",
         "ios13-sms/sms.db",
         "handle",
         {"id"},
         "SELECT ROWID, id FROM handle ORDER BY ROWID",
         [](SqliteFile& file, sqlite3*) {
             std::vector<HandleRow> out;
             EXPECT_EQ(decodeHandleRows(file, handleColumns(file), out), kStatusOk);
             return liveRows<HandleRow>(
                 out, [](const HandleRow& h) { return h.rowId; },
                 [](const HandleRow& h) { return std::vector<std::string>{h.address}; });
         }},
        {"SmsAttachment",
         "ios13-sms/sms.db",
         "attachment",
         {"filename"},
         "SELECT ROWID, filename FROM attachment ORDER BY ROWID",
         [](SqliteFile& file, sqlite3*) {
             std::vector<AttachmentRow> out;
             EXPECT_EQ(decodeAttachmentRows(file, attachmentColumns(file), out), kStatusOk);
             return liveRows<AttachmentRow>(
                 out, [](const AttachmentRow& a) { return a.rowId; },
                 [](const AttachmentRow& a) { return std::vector<std::string>{a.fileName}; });
         }},
        {"SmsAttachmentJoin",
         "ios13-sms/sms.db",
         "message_attachment_join",
         {"message_id", "attachment_id"},
         "SELECT row_number() OVER (ORDER BY ROWID) - 1, message_id, attachment_id FROM message_attachment_join "
         "ORDER BY ROWID",
         [](SqliteFile& file, sqlite3*) {
             std::vector<JoinRow> out;
             EXPECT_EQ(decodeJoinRows(file, joinColumns(file), out), kStatusOk);
             return liveRows<JoinRow>(out, nullptr, [](const JoinRow& j) {
                 return std::vector<std::string>{number(j.messageId), number(j.attachmentId)};
             });
         }},
        {"WhatsAppMessage",
         "ios15-whatsapp/ChatStorage.sqlite",
         "ZWAMESSAGE",
         {"ZTEXT", "ZISFROMME", "ZCHATSESSION", "ZGROUPMEMBER", "ZMEDIAITEM", "ZMESSAGEDATE"},
         "SELECT Z_PK, ZTEXT, CASE WHEN ZISFROMME = 1 THEN 1 ELSE 0 END, coalesce(ZCHATSESSION, -1), "
         "coalesce(ZGROUPMEMBER, 0), coalesce(ZMEDIAITEM, 0), " +
             appleDateSql("ZMESSAGEDATE") + " FROM ZWAMESSAGE ORDER BY Z_PK",
         [](SqliteFile& file, sqlite3* db) {
             std::vector<WhatsAppMessageRecord> out;
             EXPECT_EQ(decodeWhatsAppMessageRows(file, whatsAppMessageColumns(file, columnCount(db, "ZWAMESSAGE")),
                                                 out),
                       kStatusOk);
             return liveRows<WhatsAppMessageRecord>(
                 out, [](const WhatsAppMessageRecord& m) { return m.rowId; },
                 [](const WhatsAppMessageRecord& m) {
                     return std::vector<std::string>{m.text,           number(m.fromMe),   number(m.chatKey),
                                                     number(m.memberKey), number(m.mediaKey), m.date};
                 });
         }},
        {"WhatsAppChat",
         "ios15-whatsapp/ChatStorage.sqlite",
         "ZWACHATSESSION",
         {"ZCONTACTJID", "ZPARTNERNAME"},
         "SELECT Z_PK, " + jidUserSql("ZCONTACTJID") + ", ZPARTNERNAME FROM ZWACHATSESSION ORDER BY Z_PK",
         [](SqliteFile& file, sqlite3*) {
             std::vector<WhatsAppChatRow> out;
             EXPECT_EQ(decodeWhatsAppChatRows(file, whatsAppChatColumns(file), out), kStatusOk);
             return liveRows<WhatsAppChatRow>(
                 out, [](const WhatsAppChatRow& c) { return c.key; },
                 [](const WhatsAppChatRow& c) { return std::vector<std::string>{c.partnerId, c.partnerName}; });
         }},
        {"WhatsAppMember",
         "ios15-whatsapp/ChatStorage.sqlite",
         "ZWAGROUPMEMBER",
         {"ZCHATSESSION", "ZMEMBERJID", "ZCONTACTNAME"},
         "SELECT Z_PK, coalesce(ZCHATSESSION, 0), " + jidUserSql("ZMEMBERJID") +
             ", ZCONTACTNAME FROM ZWAGROUPMEMBER ORDER BY Z_PK",
         [](SqliteFile& file, sqlite3*) {
             std::vector<WhatsAppMemberRow> out;
             EXPECT_EQ(decodeWhatsAppMemberRows(file, whatsAppMemberColumns(file), out), kStatusOk);
             return liveRows<WhatsAppMemberRow>(
                 out, [](const WhatsAppMemberRow& m) { return m.key; },
                 [](const WhatsAppMemberRow& m) {
                     return std::vector<std::string>{number(m.chatKey), m.memberId, m.memberName};
                 });
         }},
        {"WhatsAppMedia",
         "ios15-whatsapp/ChatStorage.sqlite",
         "ZWAMEDIAITEM",
         {"ZMEDIALOCALPATH"},
         "SELECT Z_PK, ZMEDIALOCALPATH FROM ZWAMEDIAITEM ORDER BY Z_PK",
         [](SqliteFile& file, sqlite3*) {
             std::vector<WhatsAppMediaRow> out;
             EXPECT_EQ(decodeWhatsAppMediaRows(file, whatsAppMediaColumns(file), out), kStatusOk);
             return liveRows<WhatsAppMediaRow>(
                 out, [](const WhatsAppMediaRow& m) { return m.key; },
                 [](const WhatsAppMediaRow& m) { return std::vector<std::string>{m.localPath}; });
         }},
        {"AddressBookPerson",
         "ios15-addressbook/AddressBook.sqlitedb",
         "ABPersonFullTextSearch_content",
         {"c0First c1Last", "c6Organization", "c16Phone", "c17Email", "c18Address", "c19SocialProfile", "c20URL"},
         "SELECT row_number() OVER (ORDER BY docid) - 1, " + kContactName +
             ", c6Organization, c16Phone, c17Email, c18Address, c19SocialProfile, c20URL "
             "FROM ABPersonFullTextSearch_content ORDER BY docid",
         [](SqliteFile& file, sqlite3*) {
             std::vector<ContactRecord> out;
             EXPECT_EQ(decodeContactRows(file, out), kStatusOk);
             return liveRows<ContactRecord>(out, nullptr, [](const ContactRecord& c) {
                 return std::vector<std::string>{c.name, c.company, c.phones, c.email,
                                                 c.address, c.social, c.url};
             });
         }},
        {"NoteStoreNote",
         "ios15-notestore/NoteStore.sqlite",
         "ZICCLOUDSYNCINGOBJECT",
         {"ZTITLE1", "ZTITLE2", "ZMODIFICATIONDATE1", "ZCREATIONDATE3", "ZISPASSWORDPROTECTED", "deleted"},
         "SELECT n.Z_PK, coalesce(n.ZTITLE1, ''), coalesce(f.ZTITLE2, ''), " + appleDateSql("n.ZMODIFICATIONDATE1") +
             ", " + appleDateSql("n.ZCREATIONDATE3") +
             ", n.ZISPASSWORDPROTECTED, CASE WHEN n.ZMARKEDFORDELETION = 1 OR f.ZFOLDERTYPE = 1 THEN 1 ELSE 0 END "
             "FROM ZICCLOUDSYNCINGOBJECT n LEFT JOIN ZICCLOUDSYNCINGOBJECT f ON f.Z_PK = n.ZFOLDER "
             "WHERE n.ZNOTEDATA IS NOT NULL ORDER BY n.Z_PK",
         [](SqliteFile& file, sqlite3*) {
             std::vector<NoteRecord> out;
             EXPECT_EQ(decodeNoteStore(file, out), kStatusOk);
             // Rows of the table's b-tree carry their row id; carved ones do not.
             // The driver hands rows over in page order, the library in key order.
             std::sort(out.begin(), out.end(), [](const NoteRecord& a, const NoteRecord& b) { return a.key < b.key; });
             std::vector<RowTexts> rows;
             for (const NoteRecord& n : out)
                 if (n.key != 0)
                     rows.push_back({number(n.key), {n.title, n.folder, n.date, n.created, number(n.locked),
                                                     number(n.deleted)}});
             return rows;
         }},
    };
}

// Failures name the case, not its bytes.
void PrintTo(const TableCase& c, std::ostream* out) {
    *out << c.name;
}

class RealDatabasesTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(RealDatabasesTest, EveryLiveRowEqualsWhatTheLibraryReads) {
    const TableCase& c = GetParam();
    const fs::path original = kRealFolder / c.database;
    if (!fs::is_regular_file(original))
        GTEST_SKIP() << original << " is absent (the shared sample data lies beside the repository)";
    // The library may write beside a file it opens: it reads a copy.
    test::TempFolder temp;
    const fs::path copy = temp / original.filename();
    fs::copy_file(original, copy);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(copy.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const std::vector<RowTexts> expected = libraryRows(db, c.query);

    SqliteFile file;
    ASSERT_EQ(file.open(original), kStatusOk);
    const std::vector<RowTexts> decoded = c.decodeLive(file, db);
    sqlite3_close(db);

    ASSERT_FALSE(expected.empty()) << c.table << " holds no rows: nothing would be compared";
    EXPECT_EQ(decoded.size(), expected.size()) << c.table << ": live rows decoded and read by the library";
    for (std::size_t i = 0; i < std::min(decoded.size(), expected.size()); ++i) {
        ASSERT_EQ(decoded[i].key, expected[i].key) << c.table << ": row " << i << " is another row";
        for (std::size_t f = 0; f < c.fieldNames.size(); ++f)
            EXPECT_EQ(decoded[i].fields.at(f), expected[i].fields.at(f))
                << c.table << " key " << expected[i].key << ", " << c.fieldNames[f];
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, RealDatabasesTest, ::testing::ValuesIn(tableCases()),
                         [](const ::testing::TestParamInfo<TableCase>& info) { return info.param.name; });

// The texts of the real note store: those of the readable notes, none of the
// locked ones, and nothing made up from the rows that are not notes.
TEST(RealNoteStoreTest, ReadableNotesGiveTheirTextsAndLockedOnesNone) {
    const fs::path store = kRealFolder / "ios15-notestore/NoteStore.sqlite";
    if (!fs::is_regular_file(store))
        GTEST_SKIP() << store << " is absent (the shared sample data lies beside the repository)";
    std::vector<NoteRecord> out;
    ASSERT_EQ(decodeNoteStore(store, out), kStatusOk);
    ASSERT_EQ(out.size(), 8u);
    std::vector<std::string> locked, readable;
    for (const NoteRecord& n : out) {
        if (n.locked) {
            EXPECT_TRUE(n.body.empty()) << n.title;
            locked.push_back(n.title);
        } else {
            readable.push_back(n.title + "|" + n.body);
        }
    }
    EXPECT_EQ(locked, (std::vector<std::string>{"My Super Secret Note", "My Secret Note", "iOS 14 Locked Note",
                                                "Secure iOS 15 Note"}));
    EXPECT_EQ(readable, (std::vector<std::string>{
                            "My First Note|My First Note\n\nThis is my first note.  Nothing special. \n",
                            "iOS 14 Note|iOS 14 Note\n\nThis is a note created for iOS 14.  It is created on iPhone. ",
                            "iOS 15 Note|iOS 15 Note\n\nHere is the test iOS 15 note. ",
                            "|",
                        }));
    const auto marked = std::find_if(out.begin(), out.end(), [](const NoteRecord& n) { return n.key == 30; });
    ASSERT_NE(marked, out.end());
    EXPECT_EQ(marked->deleted, kDeleted) << "marked for deletion";
    EXPECT_EQ(out.front().folder, "Notes");
}

} // namespace
} // namespace orvelle
