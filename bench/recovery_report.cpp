// Recall and precision of deleted-row recovery per deletion pattern, measured
// on ground-truth databases built with the SQLite library.
//
//   bench_recovery_report [ROWS]

#include "support/SqliteGroundTruth.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace orvelle::test;

namespace {

const char* patternName(DeletionPattern pattern) {
    switch (pattern) {
    case DeletionPattern::scattered:
        return "scattered";
    case DeletionPattern::range:
        return "range";
    case DeletionPattern::partlyReused:
        return "partly reused";
    case DeletionPattern::neighbours:
        return "neighbours";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 3000;
    TempFolder folder("orvelle-recovery");
    const GroundTruthLayout layouts[] = {
        genericLayout(),
        integerFirstLayout(),
        textFirstLayout(),
        layoutFromSchemaFile(std::string(ORVELLE_SOURCE_DIR) + "/../shared/data/schemas/sms-ios7.sql",
                             "message"),
    };
    const DeletionPattern patterns[] = {DeletionPattern::scattered, DeletionPattern::range,
                                        DeletionPattern::partlyReused, DeletionPattern::neighbours};
    std::printf(
        "| table | pattern | page size | deleted | intact | recovered | recall | emitted | real | precision "
        "| partial | by source |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const GroundTruthLayout& layout : layouts) {
        for (DeletionPattern pattern : patterns) {
            for (int pageSize : {1024, 4096}) {
                GroundTruthOptions options;
                options.rows = rows;
                options.pattern = pattern;
                options.pageSize = pageSize;
                const auto db = buildGroundTruth(folder / (layout.table + std::to_string(int(pattern)) + "-" +
                                                           std::to_string(pageSize) + ".db"),
                                                 layout, options);
                const RecoveryScore s = scoreRecovery(db);
                if (const char* keep = std::getenv("ORVELLE_KEEP_REPORT_DATABASES")) {
                    std::filesystem::create_directories(keep);
                    std::filesystem::copy_file(db.path, std::filesystem::path(keep) / db.path.filename(),
                                               std::filesystem::copy_options::overwrite_existing);
                }
                std::string sources;
                for (const auto& [source, count] : s.emittedBySource)
                    sources += (sources.empty() ? "" : ", ") + source + " " + std::to_string(count);
                std::printf("| %s | %s | %d | %llu | %llu | %llu | %.1f%% | %llu | %llu | %.2f%% | %llu | %s |\n",
                            layout.table.c_str(), patternName(pattern), pageSize,
                            (unsigned long long)s.deleted, (unsigned long long)s.intact,
                            (unsigned long long)s.recovered, 100 * s.recall(), (unsigned long long)s.emitted,
                            (unsigned long long)s.real, 100 * s.precision(), (unsigned long long)s.partial,
                            sources.c_str());
            }
        }
    }
    return 0;
}
