// Writes the seed corpus of the record-engine fuzz target: small databases
// (512-byte pages) with the device tables, a generic table with a first
// column of values, live rows, overflowing rows,
// interior pages, and rows deleted in the ways that leave freeblocks, gap
// cells and freelist pages.
//
//   fuzz_make_seeds OUTPUT-FOLDER

#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

struct Layout {
    const char* table;
    int columns;
};

// Column counts the engine expects for these tables, and a generic one.
constexpr Layout kLayouts[] = {
    {"message", 38},    {"handle", 5},          {"ABPersonFullTextSearch_content", 24},
    {"ZNOTE", 19},      {"ZNOTEBODY", 7},       {"call", 13},
    {"ZWAMESSAGE", 28}, {"ZWACHATSESSION", 25}, {"T", 6},
};

bool exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
    std::fprintf(stderr, "fuzz_make_seeds: %s\n", error ? error : "error");
    sqlite3_free(error);
    return false;
}

std::string value(int row, int column) {
    switch ((row + column) % 6) {
    case 0:
        return "NULL";
    case 1:
        return std::to_string(row * 1000003LL * (column + 1));
    case 2:
        return "'text " + std::to_string(row) + "-" + std::to_string(column) + "'";
    case 3:
        return std::to_string(row / 7.0 + 0.5);
    case 4:
        return "x'" + std::string(2 * (column % 5 + 1), 'a') + "'";
    default:
        return std::to_string(row % 2);
    }
}

// deletion: 0 none, 1 scattered, 2 a range (freelist), 3 scattered then reuse.
// `valueFirst`: column 0 is an ordinary INT column holding values (else the
// rowid alias) and the other columns have declared types.
bool makeSeed(const std::filesystem::path& path, const Layout& layout, int rows, int deletion,
              bool longRows, bool valueFirst = false) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.string().c_str(), &db) != SQLITE_OK) return false;
    bool ok = exec(db, "PRAGMA page_size=512; PRAGMA secure_delete=OFF; PRAGMA auto_vacuum=NONE;");
    static const char* const kTypes[] = {" INT", " TEXT", " INTEGER", " REAL", " BLOB", " NUMERIC"};
    std::string columns = valueFirst ? "c0 INT" : "ROWID INTEGER PRIMARY KEY";
    for (int c = 1; c < layout.columns; ++c)
        columns += ", c" + std::to_string(c) + (valueFirst ? kTypes[c % 6] : c == 2 ? " TEXT" : "");
    ok = ok && exec(db, "CREATE TABLE \"" + std::string(layout.table) + "\"(" + columns + ");");
    ok = ok && exec(db, "BEGIN;");
    for (int r = 1; ok && r <= rows; ++r) {
        std::string values = valueFirst ? std::to_string(r * 7919) : "NULL";
        for (int c = 1; c < layout.columns; ++c)
            values += ", " + (longRows && c == 2 ? "'" + std::string(700 + r, 'L') + "'" : value(r, c));
        ok = exec(db, "INSERT INTO \"" + std::string(layout.table) + "\" VALUES(" + values + ");");
    }
    ok = ok && exec(db, "COMMIT;");
    const std::string table = "\"" + std::string(layout.table) + "\"";
    if (ok && (deletion == 1 || deletion == 3))
        ok = exec(db, "DELETE FROM " + table + " WHERE ROWID % 3 = 0;");
    if (ok && deletion == 2)
        ok = exec(db, "DELETE FROM " + table + " WHERE ROWID BETWEEN " + std::to_string(rows / 4) + " AND " +
                          std::to_string(rows * 3 / 4) + ";");
    if (ok && deletion == 3) ok = exec(db, "INSERT INTO " + table + "(ROWID, c1) VALUES(NULL, 'reused');");
    sqlite3_close(db);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUTPUT-FOLDER\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    int made = 0;
    for (const Layout& layout : kLayouts) {
        for (int deletion = 0; deletion < 4; ++deletion) {
            const std::string name = std::string(layout.table) + "-" + std::to_string(deletion) + ".db";
            if (!makeSeed(out / name, layout, layout.columns > 20 ? 12 : 30, deletion, false)) return 1;
            ++made;
        }
        if (!makeSeed(out / (std::string(layout.table) + "-overflow.db"), layout, 3, 1, true)) return 1;
        ++made;
    }
    // A generic table whose column 0 holds a value: carving reads its body
    // behind lost serial types.
    const Layout valueFirst{"T", 6};
    for (int deletion = 1; deletion < 4; ++deletion) {
        if (!makeSeed(out / ("T-value-first-" + std::to_string(deletion) + ".db"), valueFirst, 40, deletion, false,
                      true))
            return 1;
        ++made;
    }
    std::printf("%d seeds in %s\n", made, out.string().c_str());
    return 0;
}
