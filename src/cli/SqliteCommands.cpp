// `orvelle sqlite tables DB` and `orvelle sqlite carve DB --table NAME`: the
// record engine on any SQLite file, without the SQLite library.

#include "cli/Command.h"
#include "cli/Json.h"
#include "cli/JsonLineBuffer.h"
#include "core/Status.h"
#include "core/TerminalText.h"
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
    bool deviceColumns = false;
    bool noLog = false;
};

struct TablesOptions {
    std::string database;
    bool json = false;
    bool noLog = false;
};

/// Opens the database with the log beside it (unless `noLog`); a log that
/// could be used only in part gets a warning.
void openOrFail(SqliteFile& file, const std::string& path, std::string_view command, bool noLog) {
    // A loose database the user names may be their own link.
    const Status st = file.open(path, LogOptions{!noLog, {}}, platform::LinkRule::follow);
    if (st == kStatusOk) {
        if (!file.logProblem().empty())
            std::cerr << "orvelle sqlite " << command << ": warning: " << terminalText(path) << "-wal: "
                      << terminalText(file.logProblem())
                      << "\n";
        return;
    }
    std::cerr << "orvelle sqlite " << command << ": cannot read " << terminalText(path) << ": "
              << (st == kStatusInvalid          ? "not a SQLite database"
                  : st == kStatusFileMissing    ? "no such file"
                  : st == kStatusNotRegularFile ? "not a regular file"
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

// One row as a JSON line, written straight into the reused buffer.
void writeJsonRow(JsonLineBuffer& out, const Row& row) {
    out.raw("{\"deleted\":");
    out.unsignedInteger(row.deleted);
    out.raw(",\"mode\":\"");
    out.raw(rowModeName(row.mode));
    out.raw("\",\"source\":\"");
    out.raw(rowSourceName(row.source));
    out.raw("\",\"page\":");
    out.unsignedInteger(row.page);
    out.raw(",\"offset\":");
    out.unsignedInteger(row.offset);
    out.raw(",\"rowid\":");
    out.integer(row.rowid);
    out.raw(",\"values\":[");
    bool first = true;
    for (const RecordValue& value : row.values) {
        if (!first) out.raw(',');
        first = false;
        switch (value.kind) {
        case ValueKind::null:
            out.raw("null");
            break;
        case ValueKind::integer:
            out.integer(value.integer);
            break;
        case ValueKind::real:
            out.real(value.real);
            break;
        case ValueKind::text:
            out.string(value.bytes);
            break;
        case ValueKind::blob:
            out.raw("{\"blob\":");
            out.hexString(value.bytes);
            out.raw('}');
            break;
        }
    }
    out.raw(']');
    // Column 0's value could not be told: it reads null.
    if (row.partial) out.raw(",\"partial\":true");
    out.raw('}');
    out.endLine();
}

void writeTextRow(const Row& row) {
    std::cout << (row.deleted ? "Deleted" : "Normal") << ' ' << rowModeName(row.mode) << ' '
              << rowSourceName(row.source) << " page " << row.page << " offset " << row.offset << " rowid "
              << row.rowid << (row.partial ? " partial" : "") << ':';
    // The literals hold no C0 control (char(N)); terminalText escapes the rest a terminal would obey.
    for (std::size_t i = 0; i < row.values.size(); ++i)
        std::cout << (i ? ", " : " ") << terminalText(sqlLiteral(row.values[i]));
    std::cout << '\n';
}

void runCarve(const CarveOptions& options) {
    SqliteFile file;
    openOrFail(file, options.database, "carve", options.noLog);
    ChildPageMap roots;
    file.findTableRoots(options.table, roots);
    if (roots.empty()) {
        std::cerr << "orvelle sqlite carve: no table " << terminalText(options.table) << " in "
                  << terminalText(options.database) << "\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    ScanOptions scan;
    // Deleted rows are looked for with the table's own column count: a table
    // of a device's name may have the layout of another system version.
    scan.columnCount = options.columns;
    if (scan.columnCount == 0 && !options.deviceColumns) {
        if (const auto schema = TableSchema::load(file, options.table)) scan.columnCount = schema->columnCount();
        if (scan.columnCount == 0)
            std::cerr
                << "orvelle sqlite carve: note: the CREATE TABLE statement of " << terminalText(options.table)
                << " cannot be read; deleted rows are looked for with the known count of its name, if any "
                   "(give --columns)\n";
    }
    JsonLineBuffer json;
    const Status st = scanTable(
        file, options.table,
        [&](const Row& row) {
            if (!isPlausibleRow(row)) return kStatusInvalid;
            if (options.deletedOnly && !row.deleted) return kStatusOk;
            if (options.json)
                writeJsonRow(json, row);
            else
                writeTextRow(row);
            return kStatusOk;
        },
        scan);
    std::cout.flush();
    if (!json.flush()) {
        std::cerr << "orvelle sqlite carve: the output could not be written\n";
        throw CLI::RuntimeError(kExitFailure);
    }
    if (st != kStatusOk) {
        std::cerr << "orvelle sqlite carve: reading " << terminalText(options.table)
                  << " stopped early (error " << st << ")\n";
        throw CLI::RuntimeError(kExitFailure);
    }
}

void runTables(const TablesOptions& options) {
    SqliteFile file;
    openOrFail(file, options.database, "tables", options.noLog);
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
            std::cout << terminalText(entry.name) << "\troot page " << entry.rootPage << "\t" << columns
                      << " columns\n";
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
    tables->add_flag("--no-wal", tablesOptions->noLog, kNoLogHelp);
    tables->callback([tablesOptions] { runTables(*tablesOptions); });

    CLI::App* carve =
        sqlite->add_subcommand("carve", "Print a table's live rows and the deleted rows found in free space");
    auto carveOptions = std::make_shared<CarveOptions>();
    carve->add_option("DB", carveOptions->database, "The database file (it is only read)")->required();
    carve->add_option("--table", carveOptions->table, "The table to read")->required();
    carve->add_option("--columns", carveOptions->columns,
                      "Column count of the table's records (default: the CREATE TABLE statement's)");
    carve->add_flag("--device-columns", carveOptions->deviceColumns,
                    "Look for deleted rows with the column count a device table's name is known by (one "
                    "system version's layout) instead of the table's own");
    carve->add_flag("--deleted-only", carveOptions->deletedOnly, "Print only deleted rows");
    carve->add_flag("--json", carveOptions->json,
                    "JSON: one object per line with deleted, mode, source, page, offset, rowid and values");
    carve->add_flag("--no-wal", carveOptions->noLog, kNoLogHelp);
    carve->callback([carveOptions] { runCarve(*carveOptions); });
}

const CommandRegistrar registrar(45, setup);

} // namespace

} // namespace orvelle::cli
