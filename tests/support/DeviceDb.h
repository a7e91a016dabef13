#pragma once
/// Builders of the device databases the record decoders read, in the table
/// layouts devices used over the system versions (the CREATE TABLE statements
/// as they stand on devices). Rows are filled as a device fills them; rows are
/// deleted through the SQLite library with secure_delete off, so a deleted row
/// stays in the file as a freeblock, and a run of deleted rows frees whole
/// pages onto the freelist.
///
/// Inserts name only the columns a device sets, so the others get their
/// declared defaults. They run in one transaction, committed before a deletion
/// and when the file is closed. Failures throw (this is test code).

#include "support/SqliteFixture.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvelle::test {

/// The `message` table of sms.db: 38 columns (iOS 7), 51 (iOS 8/9), 68 (iOS 13), 74 (iOS 14).
enum class SmsLayout { ios7, columns51, ios13, ios14 };
/// ABPersonFullTextSearch_content: 24 columns (iOS 7), 25 (iOS 11 era), 26 (iOS 15).
enum class AddressBookLayout { ios7, columns25, ios15 };
/// `call` with 8 (iOS 5) or 14 (iOS 7) columns; ZCALLRECORD with the phone
/// number in column 20 (21 columns, iOS 10 era) or the 30-column one of iOS 17.
enum class CallHistoryLayout { callIos5, callIos7, callRecordClassic, callRecordIos17 };
/// ZWAMESSAGE with 28 columns (an older WhatsApp) or 34 (iOS 15 era).
enum class WhatsAppLayout { columns28, ios15 };

/// The CREATE TABLE statements of each layout.
const std::vector<std::string_view>& smsSchema(SmsLayout layout);
const std::vector<std::string_view>& addressBookSchema(AddressBookLayout layout);
const std::vector<std::string_view>& notesSchema();
const std::vector<std::string_view>& callHistorySchema(CallHistoryLayout layout);
const std::vector<std::string_view>& whatsAppSchema(WhatsAppLayout layout);

/// Display names of the layouts (for test names).
std::string layoutName(SmsLayout layout);
std::string layoutName(AddressBookLayout layout);
std::string layoutName(CallHistoryLayout layout);
std::string layoutName(WhatsAppLayout layout);

/// Column name -> value, for an insert that names only these columns.
using NamedValues = std::vector<std::pair<std::string, SqlValue>>;

/// A device database under construction.
class DeviceDb {
public:
    DeviceDb(std::filesystem::path path, const std::vector<std::string_view>& schema, int pageSize = 4096);
    virtual ~DeviceDb() = default;

    /// Inserts a row naming only the given columns.
    void insert(std::string_view table, const NamedValues& values);
    /// Deletes rows (committing the inserts first) and returns them as stored.
    std::vector<StoredRow> deleteWhere(std::string_view table, std::string_view whereClause);
    /// Runs SQL (committing the inserts first).
    void exec(std::string_view sql);
    /// Commits and closes the file.
    void close();

    const std::filesystem::path& path() const { return m_fixture.path(); }
    SqliteFixture& fixture();

private:
    void commit();

    SqliteFixture m_fixture;
    bool m_inTransaction = false;
};

/// A value as an SQL literal (texts and blobs written as hex casts, so any
/// bytes, also malformed UTF-8 and zero bytes, can be stored).
std::string sqlLiteral(const SqlValue& value);

/// An archived attributed string as devices keep it in message.attributedBody.
std::string attributedBodyArchive(std::string_view text);

/// The phone text the address book keeps for a number in its full-text
/// table: every written form, each followed by a blank, e.g. "(919) 888-7386"
/// gives "(919) 888-7386 +19198887386 01119198887386 0019198887386
/// 19198887386 9198887386 8887386 ".
std::string phoneSearchText(std::string_view displayNumber);

/// An upper-case GUID text made from `seed` (36 characters).
std::string deviceGuid(std::uint64_t seed);

} // namespace orvelle::test
