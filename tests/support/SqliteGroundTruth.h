#pragma once
/// Ground-truth databases for measuring deleted-row recovery: a table filled
/// with varied rows (texts of many lengths, integers of every width, floats,
/// blobs, NULLs), rows deleted in one of the three patterns, and the score of
/// the record engine against what was really deleted.
///
/// Recall counts the deleted rows whose record bytes still stand intact in the
/// file (serial types from column 1 and body) and that the engine recovered
/// with every value exact, column 0 included. Precision counts the deleted
/// rows the engine emitted that are real rows (rows that were inserted at some
/// time; an older copy of a live row is real); a row emitted partial (column 0
/// not told, read as NULL) is real when its other values are.

#include "support/SqliteFixture.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace orvelle::test {

/// A table layout to fill.
struct GroundTruthLayout {
    std::string table;     ///< table whose rows are deleted
    std::string schemaSql; ///< CREATE statements, one per line (other tables may stand beside it)
};

/// A generic table of seven columns (rowid alias, texts, integer, float, blob, flag).
GroundTruthLayout genericLayout();
/// The generic table with column 0 an ordinary integer (`id INT`): its value
/// takes body bytes that a freed cell keeps while its serial type is lost.
GroundTruthLayout integerFirstLayout();
/// The generic table with column 0 a text.
GroundTruthLayout textFirstLayout();
/// The `message` table of a device's sms.db from `schemaFile` (CREATE
/// statements one per line, as in the shared schema files).
GroundTruthLayout layoutFromSchemaFile(const std::filesystem::path& schemaFile, const std::string& table);

struct GroundTruthOptions {
    int rows = 2000;
    int pageSize = 4096;
    DeletionPattern pattern = DeletionPattern::scattered;
    std::uint32_t seed = 1;
};

/// A built database and what happened to it.
struct GroundTruthDatabase {
    std::filesystem::path path;
    std::string table;
    std::vector<StoredRow> deleted;  ///< rows deleted (as stored before deletion)
    std::vector<StoredRow> everRows; ///< every row ever inserted (live, deleted, reused space)
};

/// Builds the database at `path`: creates the layout's tables, inserts
/// `options.rows` rows, deletes by the pattern (for partlyReused, a third as
/// many new rows are inserted afterwards) and closes the file.
GroundTruthDatabase buildGroundTruth(const std::filesystem::path& path, const GroundTruthLayout& layout,
                                     const GroundTruthOptions& options);

/// The engine's score on one database.
struct RecoveryScore {
    std::uint64_t deleted = 0;   ///< rows deleted
    std::uint64_t intact = 0;    ///< of them, with their record bytes intact in the file
    std::uint64_t recovered = 0; ///< intact deleted rows the engine emitted
    std::uint64_t emitted = 0;   ///< deleted rows the engine emitted (that passed isPlausibleRow)
    std::uint64_t real = 0;      ///< of them, real rows
    std::uint64_t partial = 0;   ///< emitted rows whose column 0 was not told
    std::map<std::string, std::uint64_t> emittedBySource;
    double recall() const { return intact ? double(recovered) / double(intact) : 1.0; }
    double precision() const { return emitted ? double(real) / double(emitted) : 1.0; }
};

/// Runs scanTable over the database and scores its deleted rows.
RecoveryScore scoreRecovery(const GroundTruthDatabase& database);

} // namespace orvelle::test
