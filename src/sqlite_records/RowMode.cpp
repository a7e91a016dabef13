#include "sqlite_records/RowMode.h"

namespace orvelle {

std::string_view rowModeName(RowMode mode) {
    return mode == RowMode::cell ? "cell" : "headerless";
}

std::string_view rowSourceName(RowSource source) {
    switch (source) {
    case RowSource::live:
        return "live";
    case RowSource::freeblock:
        return "freeblock";
    case RowSource::tail:
        return "tail";
    case RowSource::gap:
        return "gap";
    case RowSource::stale:
        return "stale";
    case RowSource::freelist:
        return "freelist";
    case RowSource::wal:
        return "wal";
    }
    return "live";
}

} // namespace orvelle
