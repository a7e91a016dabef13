#include "sqlite_records/decoders/DatabaseOpening.h"

#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/decoders/DecodeContext.h"

namespace orvelle {

Status openDatabase(SqliteFile& file, const std::filesystem::path& path, const DecodeContext& context) {
    const Status status =
        file.open(path, context.logFor ? context.logFor(path) : LogOptions{}, context.links);
    if (status == kStatusOk && !file.logProblem().empty() && context.logWarning)
        context.logWarning(path, file.logProblem());
    return status;
}

} // namespace orvelle
