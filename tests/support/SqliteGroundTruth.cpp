#include "support/SqliteGroundTruth.h"

#include "core/Text.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/TableSchema.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <unordered_set>

namespace orvelle::test {

namespace {

constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?";

std::string randomText(std::mt19937& rng, std::size_t length) {
    std::string out;
    out.reserve(length + 4);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (std::size_t i = 0; i < length; ++i) {
        if (i % 23 == 22) {
            out += "\xc3\xa9"; // some non-ASCII UTF-8
            ++i;
            continue;
        }
        out += kLetters[pick(rng)];
    }
    return out;
}

std::string guidText(std::mt19937& rng) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < 36; ++i)
        out += (i == 8 || i == 13 || i == 18 || i == 23) ? '-' : kHex[rng() % 16];
    return out;
}

// Integers of every serial width, with 0 and 1 (stored as constants) among them.
std::int64_t randomInteger(std::mt19937& rng) {
    static constexpr std::int64_t kRanges[] = {
        2, 100, 30000, 8000000, 2000000000, 100000000000000LL, 4000000000000000000LL};
    const std::int64_t range = kRanges[rng() % std::size(kRanges)];
    std::uniform_int_distribution<std::int64_t> pick(-range / 2, range);
    return pick(rng);
}

bool typeHas(const std::string& type, std::string_view word) {
    return asciiUpper(type).find(word) != std::string::npos;
}

SqlRow makeRow(const TableSchema& schema, std::mt19937& rng) {
    SqlRow row;
    for (std::uint32_t c = 0; c < schema.columnCount(); ++c) {
        const std::string& type = schema.types()[c];
        const std::string& name = schema.columns()[c];
        const unsigned dice = rng() % 100;
        if (static_cast<int>(c) == schema.rowidAliasColumn()) {
            row.push_back(SqlValue::null());
        } else if (equalsIgnoreCase(name, "guid")) {
            row.push_back(SqlValue::text(guidText(rng)));
        } else if (dice < 15) {
            row.push_back(SqlValue::null());
        } else if (typeHas(type, "INT")) {
            row.push_back(SqlValue::of(randomInteger(rng)));
        } else if (typeHas(type, "REAL") || typeHas(type, "FLOA") || typeHas(type, "DOUB")) {
            // A float with a fraction: SQLite stores whole floats of REAL
            // columns as integers, which would not match the ground truth.
            row.push_back(SqlValue::ofReal(double(randomInteger(rng) % 1000000000) / 7.0 + 0.125));
        } else if (typeHas(type, "BLOB")) {
            std::string bytes(rng() % 24 + 1, '\0');
            for (char& b : bytes)
                b = static_cast<char>(rng());
            row.push_back(SqlValue::blob(bytes));
        } else {
            // Mostly short texts, some long enough for two-byte serial types.
            const std::size_t length = dice < 80 ? rng() % 40 + 1 : rng() % 300 + 40;
            row.push_back(SqlValue::text(randomText(rng, length)));
        }
    }
    return row;
}

// A row's identity for matching carved rows: its whole record (a rowid alias
// reads NULL both as stored and when carved).
std::string rowKey(const SqlRow& values) { return encodeRecord(values); }

// The identity of a row without column 0, for rows emitted partial.
std::string tailKey(const SqlRow& values) {
    if (values.empty()) return {};
    return encodeRecord(SqlRow(values.begin() + 1, values.end()));
}

SqlValue toSqlValue(const RecordValue& value) {
    switch (value.kind) {
    case ValueKind::null:
        return SqlValue::null();
    case ValueKind::integer:
        return SqlValue::of(value.integer);
    case ValueKind::real:
        return SqlValue::ofReal(value.real);
    case ValueKind::text:
        return SqlValue::text(std::string(value.bytes));
    case ValueKind::blob:
        return SqlValue::blob(std::string(value.bytes));
    }
    return SqlValue::null();
}

} // namespace

GroundTruthLayout genericLayout() {
    return {"items",
            "CREATE TABLE items(id INTEGER PRIMARY KEY, title TEXT, body TEXT, count INTEGER, score REAL, "
            "data BLOB, flag INTEGER);"};
}

GroundTruthLayout integerFirstLayout() {
    return {"entries", "CREATE TABLE entries(id INT, title TEXT, body TEXT, count INTEGER, score REAL, data BLOB, "
                       "flag INTEGER);"};
}

GroundTruthLayout textFirstLayout() {
    return {"labels", "CREATE TABLE labels(name TEXT, title TEXT, body TEXT, count INTEGER, score REAL, data BLOB, "
                      "flag INTEGER);"};
}

GroundTruthLayout layoutFromSchemaFile(const std::filesystem::path& schemaFile, const std::string& table) {
    return {table, readFile(schemaFile)};
}

GroundTruthDatabase buildGroundTruth(const std::filesystem::path& path, const GroundTruthLayout& layout,
                                     const GroundTruthOptions& options) {
    GroundTruthDatabase db;
    db.path = path;
    db.table = layout.table;
    SqliteFixture::Options fixtureOptions;
    fixtureOptions.pageSize = options.pageSize;
    SqliteFixture fixture(path, fixtureOptions);
    std::optional<TableSchema> schema;
    std::istringstream lines(layout.schemaSql);
    for (std::string line; std::getline(lines, line);) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        fixture.exec(line);
        const auto parsed = TableSchema::parse(line);
        const std::string head = asciiUpper(line.substr(0, std::min<std::size_t>(line.size(), 200)));
        const std::string prefix = "CREATE TABLE " + asciiUpper(layout.table);
        if (parsed && head.rfind(prefix, 0) == 0 && head.size() > prefix.size() &&
            (head[prefix.size()] == ' ' || head[prefix.size()] == '('))
            schema = parsed;
    }
    if (!schema) throw std::runtime_error("no CREATE TABLE for " + layout.table);
    std::mt19937 rng(options.seed);
    fixture.insertRows(layout.table, options.rows, [&](int) { return makeRow(*schema, rng); });
    db.everRows = fixture.rows(layout.table);
    const int reuse = options.pattern == DeletionPattern::partlyReused ? options.rows / 3 : 0;
    db.deleted = fixture.deleteRows(layout.table, options.pattern, reuse, [&](int) {
        SqlRow row = makeRow(*schema, rng);
        // Shorter rows, so that they fill freed space only in part.
        for (SqlValue& v : row)
            if (v.kind == SqlValue::Kind::text && v.bytes.size() > 12 && !v.bytes.empty() &&
                v.bytes[8] != '-')
                v.bytes.resize(12);
        return row;
    });
    for (StoredRow& row : fixture.rows(layout.table))
        db.everRows.push_back(std::move(row));
    fixture.close();
    return db;
}

RecoveryScore scoreRecovery(const GroundTruthDatabase& database) {
    RecoveryScore score;
    const std::string bytes = readFile(database.path);
    std::unordered_set<std::string> real;
    std::unordered_set<std::string> realTails;
    for (const StoredRow& row : database.everRows) {
        real.insert(rowKey(row.values));
        realTails.insert(tailKey(row.values));
    }
    std::unordered_set<std::string> intactDeleted;
    score.deleted = database.deleted.size();
    for (const StoredRow& row : database.deleted) {
        const std::string signature = recordSignature(row.values);
        if (bytes.find(signature) != std::string::npos) {
            ++score.intact;
            intactDeleted.insert(rowKey(row.values));
        }
    }
    SqliteFile file;
    if (file.open(database.path) != kStatusOk)
        throw std::runtime_error("engine cannot open " + database.path.string());
    std::unordered_set<std::string> found;
    SqlRow values;
    scanTable(file, database.table, [&](const Row& row) {
        if (!row.deleted || !isPlausibleRow(row)) return kStatusInvalid;
        values.clear();
        for (const RecordValue& v : row.values)
            values.push_back(toSqlValue(v));
        const std::string key = rowKey(values);
        ++score.emitted;
        ++score.emittedBySource[std::string(rowSourceName(row.source))];
        if (row.partial) ++score.partial;
        if (row.partial ? realTails.count(tailKey(values)) != 0 : real.count(key) != 0)
            ++score.real;
        else if (std::getenv("ORVELLE_REPORT_FALSE_ROWS"))
            std::fprintf(stderr, "false row: %s page %u offset %u first column %u\n",
                         std::string(rowSourceName(row.source)).c_str(), row.page, row.offset,
                         row.firstColumn);
        if (intactDeleted.count(key)) found.insert(key);
        return kStatusOk;
    });
    score.recovered = found.size();
    if (std::getenv("ORVELLE_REPORT_MISSED_ROWS"))
        for (const StoredRow& row : database.deleted) {
            const std::string signature = recordSignature(row.values);
            const std::size_t offset = bytes.find(signature);
            if (offset == std::string::npos || found.count(rowKey(row.values))) continue;
            std::fprintf(stderr, "missed row %lld: page %zu offset %zu\n", static_cast<long long>(row.rowid),
                         offset / file.pageSize(), offset % file.pageSize());
        }
    return score;
}

} // namespace orvelle::test
