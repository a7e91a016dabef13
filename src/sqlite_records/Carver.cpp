#include "sqlite_records/Carver.h"

#include "sqlite_records/BtreePage.h"
#include "sqlite_records/SqliteFile.h"

namespace orvelle {

CarveShape carveShapeFor(const SqliteFile& file, std::uint32_t columnCount) {
    return {columnCount, columnCount, false};
}

void findPageCandidates(const BtreePage& page, const CarveShape& shape, std::vector<Candidate>& out) {}

Status collectCandidates(const SqliteFile& file, ByteSpan page, std::uint32_t pageIndex, CellOffsetMap& out) {
    return kStatusOk;
}

} // namespace orvelle
