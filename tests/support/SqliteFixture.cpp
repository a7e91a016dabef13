#include "support/SqliteFixture.h"

#include "platform/PathText.h"

#include <cstring>
#include <fstream>
#include <sqlite3.h>
#include <stdexcept>

namespace orvelle::test {

namespace {

void check(sqlite3* db, int rc, std::string_view what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}

std::string quoteIdentifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void appendVarint(std::string& out, std::uint64_t v) {
    if (v > 0x00ffffffffffffffULL) {
        // Nine bytes: eight 7-bit groups and a final full byte.
        std::string bytes(9, '\0');
        bytes[8] = static_cast<char>(v & 0xff);
        v >>= 8;
        for (int i = 7; i >= 0; --i) {
            bytes[i] = static_cast<char>((v & 0x7f) | 0x80);
            v >>= 7;
        }
        out += bytes;
        return;
    }
    char buf[9];
    int n = 0;
    do {
        buf[n++] = static_cast<char>(v & 0x7f);
        v >>= 7;
    } while (v != 0);
    for (int i = n - 1; i >= 0; --i)
        out += static_cast<char>(buf[i] | (i > 0 ? 0x80 : 0));
}

int integerWidth(std::int64_t v) {
    if (v >= -128 && v <= 127) return 1;
    if (v >= -32768 && v <= 32767) return 2;
    if (v >= -8388608 && v <= 8388607) return 3;
    if (v >= -2147483648LL && v <= 2147483647LL) return 4;
    if (v >= -140737488355328LL && v <= 140737488355327LL) return 6;
    return 8;
}

} // namespace

SqliteFixture::SqliteFixture(std::filesystem::path path) : SqliteFixture(std::move(path), Options{}) {}

SqliteFixture::SqliteFixture(std::filesystem::path path, const Options& options) : m_path(std::move(path)) {
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
    std::filesystem::remove(m_path.string() + "-journal", ec);
    if (!m_path.parent_path().empty()) std::filesystem::create_directories(m_path.parent_path(), ec);
    check(m_db, sqlite3_open(platform::pathText(m_path).c_str(), &m_db), "open");
    if (options.reservedBytes > 0) {
        int reserve = options.reservedBytes;
        check(m_db, sqlite3_file_control(m_db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve),
              "reserve bytes");
    }
    exec("PRAGMA page_size=" + std::to_string(options.pageSize) + ";");
    exec(std::string("PRAGMA secure_delete=") + (options.secureDelete ? "ON" : "OFF") + ";");
    exec("PRAGMA auto_vacuum=NONE; PRAGMA journal_mode=DELETE;");
}

SqliteFixture::~SqliteFixture() {
    if (m_db) sqlite3_close(m_db);
}

sqlite3* SqliteFixture::handle() {
    if (!m_db) throw std::runtime_error("the fixture database is closed");
    return m_db;
}

void SqliteFixture::exec(std::string_view sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(handle(), std::string(sql).c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("exec failed: " + text + " in: " + std::string(sql));
    }
}

std::int64_t SqliteFixture::insert(std::string_view table, const SqlRow& values) {
    std::string sql = "INSERT INTO " + quoteIdentifier(table) + " VALUES(";
    for (std::size_t i = 0; i < values.size(); ++i)
        sql += i ? ",?" : "?";
    sql += ")";
    sqlite3_stmt* stmt = nullptr;
    check(m_db, sqlite3_prepare_v2(handle(), sql.c_str(), -1, &stmt, nullptr), "prepare insert");
    for (std::size_t i = 0; i < values.size(); ++i) {
        const SqlValue& v = values[i];
        const int at = static_cast<int>(i + 1);
        switch (v.kind) {
        case SqlValue::Kind::null:
            sqlite3_bind_null(stmt, at);
            break;
        case SqlValue::Kind::integer:
            sqlite3_bind_int64(stmt, at, v.integer);
            break;
        case SqlValue::Kind::real:
            sqlite3_bind_double(stmt, at, v.real);
            break;
        case SqlValue::Kind::text:
            sqlite3_bind_text(stmt, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
            break;
        case SqlValue::Kind::blob:
            sqlite3_bind_blob(stmt, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
            break;
        }
    }
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    check(m_db, rc, "insert");
    return sqlite3_last_insert_rowid(m_db);
}

void SqliteFixture::insertRows(std::string_view table, int count, const std::function<SqlRow(int)>& makeRow) {
    exec("BEGIN");
    for (int i = 0; i < count; ++i)
        insert(table, makeRow(i));
    exec("COMMIT");
}

int SqliteFixture::rowidAliasColumn(std::string_view table) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "PRAGMA table_info(" + quoteIdentifier(table) + ")";
    check(m_db, sqlite3_prepare_v2(handle(), sql.c_str(), -1, &stmt, nullptr), "table_info");
    int alias = -1;
    int keys = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        if (sqlite3_column_int(stmt, 5) == 0) continue;
        ++keys;
        const char* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
        if (type && sqlite3_stricmp(type, "INTEGER") == 0) alias = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    return keys == 1 ? alias : -1;
}

std::vector<StoredRow> SqliteFixture::select(std::string_view table, std::string_view whereClause) {
    const int alias = rowidAliasColumn(table);
    std::string sql = "SELECT rowid, * FROM " + quoteIdentifier(table);
    if (!whereClause.empty()) sql += " WHERE " + std::string(whereClause);
    sql += " ORDER BY rowid";
    sqlite3_stmt* stmt = nullptr;
    check(m_db, sqlite3_prepare_v2(handle(), sql.c_str(), -1, &stmt, nullptr), "select");
    std::vector<StoredRow> out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        StoredRow row;
        row.rowid = sqlite3_column_int64(stmt, 0);
        const int columns = sqlite3_column_count(stmt);
        for (int c = 1; c < columns; ++c) {
            SqlValue v;
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                v = SqlValue::of(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                v = SqlValue::ofReal(sqlite3_column_double(stmt, c));
                break;
            case SQLITE_TEXT:
                v = SqlValue::text(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                               static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
                break;
            case SQLITE_BLOB: {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, c));
                v = SqlValue::blob(
                    std::string(data ? data : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
                break;
            }
            default:
                break;
            }
            if (c - 1 == alias) v = SqlValue::null();
            row.values.push_back(std::move(v));
        }
        out.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    check(m_db, rc, "select");
    return out;
}

std::vector<StoredRow> SqliteFixture::rows(std::string_view table) {
    return select(table, {});
}

std::vector<StoredRow> SqliteFixture::deleteWhere(std::string_view table, std::string_view whereClause) {
    std::vector<StoredRow> deleted = select(table, whereClause);
    exec("DELETE FROM " + quoteIdentifier(table) + " WHERE " + std::string(whereClause));
    return deleted;
}

std::vector<StoredRow> SqliteFixture::deleteScattered(std::string_view table, int every, int first) {
    std::vector<StoredRow> all = rows(table);
    std::vector<StoredRow> deleted;
    exec("BEGIN");
    for (std::size_t i = static_cast<std::size_t>(first); i < all.size();
         i += static_cast<std::size_t>(every)) {
        exec("DELETE FROM " + quoteIdentifier(table) + " WHERE rowid=" + std::to_string(all[i].rowid));
        deleted.push_back(all[i]);
    }
    exec("COMMIT");
    return deleted;
}

std::vector<StoredRow> SqliteFixture::deleteRange(std::string_view table, std::int64_t firstRowid,
                                                  std::int64_t lastRowid) {
    return deleteWhere(table,
                       "rowid BETWEEN " + std::to_string(firstRowid) + " AND " + std::to_string(lastRowid));
}

std::vector<StoredRow> SqliteFixture::deleteRows(std::string_view table, DeletionPattern pattern,
                                                 int reuseRows, const std::function<SqlRow(int)>& makeRow) {
    switch (pattern) {
    case DeletionPattern::scattered:
        return deleteScattered(table, 3);
    case DeletionPattern::range: {
        const std::vector<StoredRow> all = rows(table);
        if (all.empty()) return {};
        const std::size_t from = all.size() / 4;
        const std::size_t to = all.size() * 3 / 4;
        return deleteRange(table, all[from].rowid, all[to > from ? to - 1 : from].rowid);
    }
    case DeletionPattern::partlyReused: {
        std::vector<StoredRow> deleted = deleteScattered(table, 3);
        if (reuseRows > 0 && makeRow) insertRows(table, reuseRows, makeRow);
        return deleted;
    }
    case DeletionPattern::neighbours:
        return deleteWhere(table, "rowid % 10 BETWEEN 4 AND 6");
    }
    return {};
}

void SqliteFixture::close() {
    if (m_db) check(nullptr, sqlite3_close(m_db), "close");
    m_db = nullptr;
}

std::uint64_t sqlSerialType(const SqlValue& value) {
    switch (value.kind) {
    case SqlValue::Kind::null:
        return 0;
    case SqlValue::Kind::integer: {
        if (value.integer == 0) return 8;
        if (value.integer == 1) return 9;
        switch (integerWidth(value.integer)) {
        case 1:
            return 1;
        case 2:
            return 2;
        case 3:
            return 3;
        case 4:
            return 4;
        case 6:
            return 5;
        default:
            return 6;
        }
    }
    case SqlValue::Kind::real:
        return 7;
    case SqlValue::Kind::text:
        return 13 + 2 * value.bytes.size();
    case SqlValue::Kind::blob:
        return 12 + 2 * value.bytes.size();
    }
    return 0;
}

namespace {

std::string encodeBody(const SqlRow& values) {
    std::string body;
    for (const SqlValue& v : values) {
        const std::uint64_t type = sqlSerialType(v);
        if (type >= 1 && type <= 6) {
            static constexpr int kWidth[] = {0, 1, 2, 3, 4, 6, 8};
            const int width = kWidth[type];
            for (int i = width - 1; i >= 0; --i)
                body += static_cast<char>((static_cast<std::uint64_t>(v.integer) >> (8 * i)) & 0xff);
        } else if (type == 7) {
            std::uint64_t raw;
            static_assert(sizeof raw == sizeof v.real);
            std::memcpy(&raw, &v.real, sizeof raw);
            for (int i = 7; i >= 0; --i)
                body += static_cast<char>((raw >> (8 * i)) & 0xff);
        } else if (type >= 12) {
            body += v.bytes;
        }
    }
    return body;
}

std::string encodeTypes(const SqlRow& values, std::size_t from) {
    std::string types;
    for (std::size_t i = from; i < values.size(); ++i)
        appendVarint(types, sqlSerialType(values[i]));
    return types;
}

} // namespace

std::string encodeRecord(const SqlRow& values) {
    const std::string types = encodeTypes(values, 0);
    // The header length counts its own varint.
    std::uint64_t headerLength = types.size() + 1;
    std::string lengthBytes;
    appendVarint(lengthBytes, headerLength);
    if (lengthBytes.size() > 1) {
        lengthBytes.clear();
        appendVarint(lengthBytes, types.size() + 2);
    }
    return lengthBytes + types + encodeBody(values);
}

std::string encodeVarint(std::uint64_t value) {
    std::string out;
    appendVarint(out, value);
    return out;
}

std::string encodeCell(std::int64_t rowid, const SqlRow& values) {
    const std::string record = encodeRecord(values);
    return encodeVarint(record.size()) + encodeVarint(static_cast<std::uint64_t>(rowid)) + record;
}

std::string recordSignature(const SqlRow& values) {
    return encodeTypes(values, 1) + encodeBody(values);
}

void patchFile(const std::filesystem::path& path, std::uint64_t offset, std::string_view bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path.string() + " for patching");
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot patch " + path.string());
}

std::string bigEndian16(std::uint32_t value) {
    return std::string{static_cast<char>((value >> 8) & 0xff), static_cast<char>(value & 0xff)};
}

std::string bigEndian32(std::uint32_t value) {
    return bigEndian16(value >> 16) + bigEndian16(value & 0xffff);
}

} // namespace orvelle::test
