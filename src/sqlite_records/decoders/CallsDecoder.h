#pragma once
/// Calls from the call history, in either of its two layouts:
///
/// - CallHistory.storedata, table `ZCALLRECORD` (Apple times, direction in
///   ZORIGINATED: 0 for an incoming call);
/// - the older call_history.db, table `call` (Unix times, direction in bit 0
///   of `flags`: set for an outgoing call).
///
/// The SQLite library only tells the layouts apart (whether ZCALLRECORD can be
/// queried); every row, live or deleted, is read by the page reader.
///
/// | table       | field     | column      | position (old / new book) |
/// |-------------|-----------|-------------|---------------------------|
/// | ZCALLRECORD | direction | ZORIGINATED | 10                        |
/// |             | date      | ZDATE       | 12                        |
/// |             | duration  | ZDURATION   | 13                        |
/// |             | number    | ZADDRESS    | 20 / 21                   |
/// | call        | number    | address     | 1                         |
/// |             | date      | date        | 2                         |
/// |             | duration  | duration    | 3                         |
/// |             | direction | flags       | 4                         |

#include "core/ItemRecords.h"
#include "core/Status.h"
#include "sqlite_records/decoders/DecodeContext.h"
#include "sqlite_records/decoders/TableColumns.h"

#include <filesystem>
#include <vector>

namespace orvelle {

class SqliteFile;

/// The two call tables.
enum class CallLayout { call, callRecord };

/// Columns of the layout's table in `file` (by name, else fixed positions;
/// `newAddressBookLayout` picks the number's fixed position in ZCALLRECORD).
TableColumns callColumns(const SqliteFile& file, CallLayout layout, bool newAddressBookLayout);
TableColumns fixedCallColumns(CallLayout layout, bool newAddressBookLayout);

/// The call row routine over the layout's table; only rows with a number and a
/// date are kept.
Status decodeCallRows(SqliteFile& file, CallLayout layout, const TableColumns& columns,
                      std::vector<CallRecord>& out);

/// Decodes the call history at `callDb` and names the calls from the address
/// book (when its path is not empty; numbers longer than 4 characters). A
/// missing or unreadable address book costs only the names (its status goes to
/// `report`). Calls are sorted by date. Returns 0, kStatusFileMissing, or the
/// open's code (no calls).
Status decodeCalls(const std::filesystem::path& callDb, const std::filesystem::path& addressBook,
                   const DecodeContext& context, std::vector<CallRecord>& out,
                   DecodeReport* report = nullptr);

} // namespace orvelle
