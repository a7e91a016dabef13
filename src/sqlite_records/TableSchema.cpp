#include "sqlite_records/TableSchema.h"

#include "core/Text.h"
#include "sqlite_records/BtreePage.h"
#include "sqlite_records/BtreeWalker.h"
#include "sqlite_records/Record.h"
#include "sqlite_records/SqliteFile.h"

#include <cctype>

namespace orvelle {

ColumnAffinity affinityOf(std::string_view declaredType) {
    const std::string type = asciiUpper(declaredType);
    if (type.find("INT") != std::string::npos) return ColumnAffinity::integer;
    if (type.find("CHAR") != std::string::npos || type.find("CLOB") != std::string::npos ||
        type.find("TEXT") != std::string::npos)
        return ColumnAffinity::text;
    if (type.empty() || type.find("BLOB") != std::string::npos) return ColumnAffinity::blob;
    if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
        type.find("DOUB") != std::string::npos)
        return ColumnAffinity::real;
    return ColumnAffinity::numeric;
}

namespace {

// Columns of a schema row: type, name, tbl_name, rootpage, sql.
constexpr std::size_t kSchemaColumns = 5;

std::string textOf(const RecordValue& value) {
    return value.isText() ? std::string(value.bytes) : std::string();
}

// --- CREATE TABLE tokenizer -------------------------------------------------

struct Token {
    enum class Kind { word, quoted, number, string, punct, end };
    Kind kind = Kind::end;
    std::string text; // unquoted text for identifiers; the character for punctuation
};

bool isIdentifierByte(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view sql) : m_sql(sql) {}

    Token next() {
        skipSpaceAndComments();
        Token t;
        if (m_pos >= m_sql.size()) return t;
        const char c = m_sql[m_pos];
        if (c == '"' || c == '`' || c == '\'') {
            t.kind = c == '\'' ? Token::Kind::string : Token::Kind::quoted;
            t.text = readQuoted(c, c);
        } else if (c == '[') {
            t.kind = Token::Kind::quoted;
            t.text = readQuoted('[', ']');
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && m_pos + 1 < m_sql.size() &&
                    std::isdigit(static_cast<unsigned char>(m_sql[m_pos + 1])))) {
            t.kind = Token::Kind::number;
            const std::size_t start = m_pos;
            while (m_pos < m_sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(m_sql[m_pos])) || m_sql[m_pos] == '.'))
                ++m_pos;
            t.text = m_sql.substr(start, m_pos - start);
        } else if (isIdentifierByte(static_cast<unsigned char>(c))) {
            t.kind = Token::Kind::word;
            const std::size_t start = m_pos;
            while (m_pos < m_sql.size() && isIdentifierByte(static_cast<unsigned char>(m_sql[m_pos])))
                ++m_pos;
            t.text = m_sql.substr(start, m_pos - start);
        } else {
            t.kind = Token::Kind::punct;
            t.text = std::string(1, c);
            ++m_pos;
        }
        return t;
    }

private:
    void skipSpaceAndComments() {
        while (m_pos < m_sql.size()) {
            const char c = m_sql[m_pos];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_pos;
            } else if (c == '-' && m_pos + 1 < m_sql.size() && m_sql[m_pos + 1] == '-') {
                while (m_pos < m_sql.size() && m_sql[m_pos] != '\n')
                    ++m_pos;
            } else if (c == '/' && m_pos + 1 < m_sql.size() && m_sql[m_pos + 1] == '*') {
                const std::size_t end = m_sql.find("*/", m_pos + 2);
                m_pos = end == std::string_view::npos ? m_sql.size() : end + 2;
            } else {
                return;
            }
        }
    }

    // Reads a quoted token; a doubled closing quote inside stands for itself
    // (not for []).
    std::string readQuoted(char open, char close) {
        std::string out;
        ++m_pos;
        while (m_pos < m_sql.size()) {
            const char c = m_sql[m_pos++];
            if (c == close) {
                if (open != '[' && m_pos < m_sql.size() && m_sql[m_pos] == close) {
                    out += close;
                    ++m_pos;
                    continue;
                }
                return out;
            }
            out += c;
        }
        return out;
    }

    std::string_view m_sql;
    std::size_t m_pos = 0;
};

bool isWord(const Token& t, std::string_view word) {
    return t.kind == Token::Kind::word && equalsIgnoreCase(t.text, word);
}

bool isPunct(const Token& t, char c) {
    return t.kind == Token::Kind::punct && t.text.size() == 1 && t.text[0] == c;
}

// Words that end a column's type and start its constraints.
bool startsColumnConstraint(const Token& t) {
    static constexpr std::string_view kWords[] = {"CONSTRAINT", "PRIMARY",   "NOT",     "NULL",
                                                  "UNIQUE",     "CHECK",     "DEFAULT", "COLLATE",
                                                  "REFERENCES", "GENERATED", "AS"};
    if (t.kind != Token::Kind::word) return false;
    for (std::string_view w : kWords)
        if (equalsIgnoreCase(t.text, w)) return true;
    return false;
}

// Words that start a table constraint (after the last column).
bool startsTableConstraint(const Token& t) {
    static constexpr std::string_view kWords[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};
    if (t.kind != Token::Kind::word) return false;
    for (std::string_view w : kWords)
        if (equalsIgnoreCase(t.text, w)) return true;
    return false;
}

} // namespace

Status readSchema(const SqliteFile& file, std::vector<SchemaEntry>& out) {
    if (!file.isOpen()) return kStatusInvalid;
    BtreeWalker walker(file);
    CellPayload payload;
    std::vector<RecordValue> values;
    return walker.walk(0, [&](const BtreePage& leaf) {
        for (std::uint16_t cell : leaf.cellPointers()) {
            if (file.readCellPayload(leaf.bytes(), leaf.index(), cell, payload) != kStatusOk ||
                !payload.complete)
                continue;
            std::uint64_t headerLength = 0;
            if (!decodeRecord(payload.payload, values, headerLength) || values.size() < kSchemaColumns)
                continue;
            if (!values[1].isText()) continue;
            SchemaEntry entry;
            entry.type = textOf(values[0]);
            entry.name = textOf(values[1]);
            entry.tableName = textOf(values[2]);
            const RecordValue& root = values[3];
            // Only an integer names a root page; anything else is skipped.
            const bool integerRoot =
                (root.serialType >= 1 && root.serialType <= 6) || root.serialType == kSerialOne;
            if (integerRoot && root.integer > 0 && root.integer <= 0xffffffffLL)
                entry.rootPage = static_cast<std::uint32_t>(root.integer);
            entry.sql = textOf(values[4]);
            out.push_back(std::move(entry));
        }
        return kStatusOk;
    });
}

std::optional<TableSchema> TableSchema::parse(std::string_view createSql) {
    Tokenizer tokens(createSql);
    Token t = tokens.next();
    if (!isWord(t, "CREATE")) return std::nullopt;
    t = tokens.next();
    if (isWord(t, "TEMP") || isWord(t, "TEMPORARY")) t = tokens.next();
    if (!isWord(t, "TABLE")) return std::nullopt;
    t = tokens.next();
    if (isWord(t, "IF")) {
        if (!isWord(tokens.next(), "NOT") || !isWord(tokens.next(), "EXISTS")) return std::nullopt;
        t = tokens.next();
    }
    // [schema .] name
    if (t.kind != Token::Kind::word && t.kind != Token::Kind::quoted && t.kind != Token::Kind::string)
        return std::nullopt;
    t = tokens.next();
    if (isPunct(t, '.')) {
        tokens.next();
        t = tokens.next();
    }
    if (!isPunct(t, '(')) return std::nullopt; // CREATE TABLE ... AS SELECT

    TableSchema schema;
    bool inTableConstraints = false;
    bool closed = false;
    while (!closed) {
        // One top-level item: a column definition or a table constraint.
        t = tokens.next();
        if (t.kind == Token::Kind::end) return std::nullopt;
        if (!inTableConstraints && startsTableConstraint(t)) inTableConstraints = true;
        bool isColumn = !inTableConstraints;
        std::string name;
        std::string type;
        bool inType = isColumn;
        bool generated = false;
        bool stored = false;
        if (isColumn) {
            if (t.kind != Token::Kind::word && t.kind != Token::Kind::quoted && t.kind != Token::Kind::string)
                return std::nullopt;
            name = t.text;
            t = tokens.next();
        }
        int depth = 0;
        bool primaryKey = false;
        std::vector<std::string> keyColumns; // of a table constraint PRIMARY KEY (...)
        bool inKeyList = false;
        while (true) {
            if (t.kind == Token::Kind::end) return std::nullopt;
            if (depth == 0 && (isPunct(t, ',') || isPunct(t, ')'))) {
                closed = isPunct(t, ')');
                break;
            }
            if (inType && depth == 0 && startsColumnConstraint(t)) inType = false;
            if (isColumn && depth == 0 && (isWord(t, "AS") || isWord(t, "GENERATED"))) generated = true;
            if (isColumn && depth == 0 && generated && isWord(t, "STORED")) stored = true;
            if (depth == 0 && isWord(t, "PRIMARY")) primaryKey = true;
            if (!isColumn && primaryKey && depth == 0 && isPunct(t, '(')) inKeyList = true;
            if (inKeyList && depth == 1 &&
                (t.kind == Token::Kind::word || t.kind == Token::Kind::quoted ||
                 t.kind == Token::Kind::string))
                keyColumns.push_back(t.text);
            if (isPunct(t, '(')) ++depth;
            if (isPunct(t, ')')) --depth;
            if (inKeyList && depth == 0) inKeyList = false;
            if (inType) {
                const bool glue = type.empty() || isPunct(t, '(') || isPunct(t, ')') || isPunct(t, ',') ||
                                  (!type.empty() && (type.back() == '(' || type.back() == ','));
                if (!glue) type += ' ';
                type += t.kind == Token::Kind::quoted ? t.text : t.text;
            }
            t = tokens.next();
        }
        // A generated column that is not STORED has no place in the record.
        if (isColumn && primaryKey && equalsIgnoreCase(type, "INTEGER"))
            schema.m_rowidAlias = static_cast<int>(schema.m_columns.size());
        if (!isColumn && primaryKey && keyColumns.size() == 1) {
            const int column = schema.columnIndex(keyColumns.front());
            if (column >= 0 && equalsIgnoreCase(schema.m_types[static_cast<std::size_t>(column)], "INTEGER"))
                schema.m_rowidAlias = column;
        }
        if (isColumn && !(generated && !stored)) {
            schema.m_columns.push_back(std::move(name));
            schema.m_types.push_back(std::move(type));
        }
    }
    if (schema.m_columns.empty()) return std::nullopt;
    // WITHOUT ROWID tables have no rowid to alias.
    // Table options: WITHOUT ROWID, STRICT.
    for (t = tokens.next(); t.kind != Token::Kind::end; t = tokens.next()) {
        if (isWord(t, "WITHOUT") && isWord(tokens.next(), "ROWID")) schema.m_withoutRowid = true;
    }
    if (schema.m_withoutRowid) schema.m_rowidAlias = -1;
    return schema;
}

std::optional<TableSchema> TableSchema::load(const SqliteFile& file, std::string_view tableName) {
    std::vector<SchemaEntry> entries;
    readSchema(file, entries);
    for (const SchemaEntry& entry : entries)
        if (equalsIgnoreCase(entry.type, "table") && equalsIgnoreCase(entry.name, tableName))
            return parse(entry.sql);
    return std::nullopt;
}

int TableSchema::columnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (equalsIgnoreCase(m_columns[i], name)) return static_cast<int>(i);
    return -1;
}

} // namespace orvelle
