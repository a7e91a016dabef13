// `orvelle sqlite tables DB` and `orvelle sqlite carve DB --table NAME`: the
// record engine on any SQLite file, without the SQLite library.

#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Status.h"
#include "core/Text.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/TableSchema.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

namespace orvelle::cli {

namespace {

struct CarveOptions {
    std::string database;
    std::string table;
    std::uint32_t columns = 0;
    bool json = false;
    bool deletedOnly = false;
};

struct TablesOptions {
    std::string database;
    bool json = false;
};

void openOrFail(SqliteFile& file, const std::string& path, std::string_view command) {
    const Status st = file.open(path);
    if (st == kStatusOk) return;
    std::cerr << "orvelle sqlite " << command << ": cannot read " << path << ": "
              << (st == kStatusInvalid       ? "not a SQLite database"
                  : st == kStatusFileMissing ? "no such file"
                                             : "error " + std::to_string(st))
              << "\n";
    throw CLI::RuntimeError(kExitFailure);
}

// A value as an SQL literal: NULL, 12, 1.5, 'text', X'00ff'.
std::string sqlLiteral(const RecordValue& value) {
    switch (value.kind) {
    case ValueKind::null:
        return "NULL";
    case ValueKind::integer:
        return std::to_string(value.integer);
    case ValueKind::real: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", value.real);
        return buf;
    }
    case ValueKind::text: {
        // Control characters are written as char(N) so that a row stays on one line.
        std::string out;
        bool open = false;
        for (char c : value.bytes) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                if (open) out += "'";
                out += (out.empty() ? "" : " || ") + std::string("char(") +
                       std::to_string(static_cast<unsigned char>(c)) + ")";
                open = false;
                continue;
            }
            if (!open) out += (out.empty() ? "'" : " || '");
            open = true;
            if (c == '\'') out += '\'';
            out += c;
        }
        if (open) out += "'";
        return out.empty() ? "''" : out;
    }
    case ValueKind::blob:
        return "X'" + toHex(value.bytes) + "'";
    }
    return "NULL";
}

void writeJsonRow(const Row& row) {
    JsonWriter json(std::cout);
    json.beginObject();
    json.field("deleted", row.deleted);
    json.field("mode", rowModeName(row.mode));
    json.field("source", rowSourceName(row.source));
    json.field("page", row.page);
    json.field("offset", row.offset);
    json.field("rowid", static_cast<std::int64_t>(row.rowid));
    json.key("values").beginArray();
    for (const RecordValue& value : row.values) {
        switch (value.kind) {
        case ValueKind::null:
            json.null();
            break;
        case ValueKind::integer:
            json.value(static_cast<std::int64_t>(value.integer));
            break;
        case ValueKind::real:
            json.value(value.real);
            break;
        case ValueKind::text:
            json.value(value.bytes);
            break;
        case ValueKind::blob:
            json.beginObject().field("blob", toHex(value.bytes)).endObject();
            break;
        }
    }
    json.endArray().endObject();
    std::cout << '\n';
}

void writeTextRow(const Row& row) {
    std::cout << (row.deleted ? "Deleted" : "Normal") << ' ' << rowModeName(row.mode) << ' '
              << rowSourceName(row.source) << " page " << row.page << " offset " << row.offset << " rowid "
              << row.rowid << ':';
    for (std::size_t i = 0; i < row.values.size(); ++i)
        std::cout << (i ? ", " : " ") << sqlLiteral(row.values[i]);
    std::cout << '\n';
}

void runCarve(const CarveOptions& options) {
    SqliteFile file;
    openOrFail(file, options.database, "carve");
    ChildPageMap roots;
    file.findTableRoots(options.table, roots);
    if (roots.empty()) {
        std::cerr << "orvelle sqlite carve: no table " << options.table << " in " << options.database << "\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    ScanOptions scan;
    scan.columnCount = options.columns;
    if (options.columns == 0) {
        // The known count of a device table may belong to another system version.
        const std::uint32_t known = file.expectedColumnCount(options.table);
        const auto schema = TableSchema::load(file, options.table);
        if (known != 0 && schema && schema->columnCount() != known)
            std::cerr << "orvelle sqlite carve: note: deleted rows of " << options.table
                      << " are looked for with " << known
                      << " columns, the count its device layout is known by; this table has "
                      << schema->columnCount() << " (try --columns " << schema->columnCount() << ")\n";
    }
    const Status st = scanTable(
        file, options.table,
        [&](const Row& row) {
            if (!isPlausibleRow(row)) return kStatusInvalid;
            if (options.deletedOnly && !row.deleted) return kStatusOk;
            if (options.json)
                writeJsonRow(row);
            else
                writeTextRow(row);
            return kStatusOk;
        },
        scan);
    std::cout.flush();
    if (st != kStatusOk) {
        std::cerr << "orvelle sqlite carve: reading " << options.table << " stopped early (error " << st
                  << ")\n";
        throw CLI::RuntimeError(kExitFailure);
    }
}

void runTables(const TablesOptions& options) {
    SqliteFile file;
    openOrFail(file, options.database, "tables");
    std::vector<SchemaEntry> schema;
    const Status st = readSchema(file, schema);
    JsonWriter json(std::cout, true);
    if (options.json) json.beginArray();
    for (const SchemaEntry& entry : schema) {
        if (!equalsIgnoreCase(entry.type, "table")) continue;
        const auto table = TableSchema::parse(entry.sql);
        const std::uint32_t columns = table ? table->columnCount() : 0;
        if (options.json) {
            json.beginObject().field("name", entry.name).field("rootPage", entry.rootPage);
            json.field("columns", columns).endObject();
        } else {
            std::cout << entry.name << "\troot page " << entry.rootPage << "\t" << columns << " columns\n";
        }
    }
    if (options.json) {
        json.endArray();
        std::cout << '\n';
    }
    if (st != kStatusOk) {
        std::cerr << "orvelle sqlite tables: the schema could not be read whole (error " << st << ")\n";
        throw CLI::RuntimeError(kExitFailure);
    }
}

void setup(CLI::App& app) {
    CLI::App* sqlite =
        subcommandGroup(app, "sqlite", "Read SQLite database files page by page, deleted rows included");

    CLI::App* tables =
        sqlite->add_subcommand("tables", "List the tables of a database with root pages and columns");
    auto tablesOptions = std::make_shared<TablesOptions>();
    tables->add_option("DB", tablesOptions->database, "The database file (it is only read)")->required();
    tables->add_flag("--json", tablesOptions->json, "JSON: an array of {name, rootPage, columns}");
    tables->callback([tablesOptions] { runTables(*tablesOptions); });

    CLI::App* carve =
        sqlite->add_subcommand("carve", "Print a table's live rows and the deleted rows found in free space");
    auto carveOptions = std::make_shared<CarveOptions>();
    carve->add_option("DB", carveOptions->database, "The database file (it is only read)")->required();
    carve->add_option("--table", carveOptions->table, "The table to read")->required();
    carve->add_option("--columns", carveOptions->columns,
                      "Column count of the table's records (default: the known count for device tables, else "
                      "the CREATE TABLE statement's)");
    carve->add_flag("--deleted-only", carveOptions->deletedOnly, "Print only deleted rows");
    carve->add_flag("--json", carveOptions->json,
                    "JSON: one object per line with deleted, mode, source, page, offset, rowid and values");
    carve->callback([carveOptions] { runCarve(*carveOptions); });
}

const CommandRegistrar registrar(45, setup);

} // namespace

} // namespace orvelle::cli
