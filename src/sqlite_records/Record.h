#pragma once
/// Records: the decoded values of one row, and the decoding of record headers
/// and bodies from a complete payload or from a headerless candidate.
///
/// A value's text or blob bytes are views into the buffer they were decoded
/// from (a page buffer or an assembled payload); they stay valid only while
/// that buffer does (for a row routine: during the call).

#include "sqlite_records/SqliteFormat.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvelle {

/// The serial type recorded for a column whose serial type was lost (column 0
/// of a headerless candidate that starts at column 1).
constexpr std::uint64_t kLostSerialType = ~std::uint64_t(0);

/// A value limit that decodes every column.
constexpr std::uint32_t kAllColumns = ~std::uint32_t(0);

enum class ValueKind : std::uint8_t { null, integer, real, text, blob };

/// One column value.
struct RecordValue {
    /// The serial type as stored (kLostSerialType for a lost column).
    std::uint64_t serialType = kSerialNull;
    ValueKind kind = ValueKind::null;
    /// Serial types 1-6 (big-endian two's complement), 8 (0) and 9 (1).
    std::int64_t integer = 0;
    /// Serial type 7 (big-endian IEEE 754 double).
    double real = 0;
    /// Text (UTF-8 as stored) or blob bytes.
    std::string_view bytes;

    bool isNull() const { return kind == ValueKind::null; }
    bool isLost() const { return serialType == kLostSerialType; }
    bool isInteger() const { return kind == ValueKind::integer; }
    bool isText() const { return kind == ValueKind::text; }
    /// An integer of serial type 1 to 4 (what most row routines accept as a key).
    bool isSmallInteger() const { return serialType >= 1 && serialType <= 4; }
};

/// Sum of the lengths of `count` consecutive varints at the start of `bytes`
/// (the size of a run of serial types); 0 when `bytes` ends first.
std::uint64_t serialTypesLength(ByteSpan bytes, std::uint64_t count);

/// Length of a record from its first serial type to the end of its body: the
/// `headerBytes` bytes of serial types plus every value's body width. Stops
/// early (returning a value > `available`) once the length exceeds `available`;
/// also returns more than `available` when the serial types run past `bytes`.
std::uint64_t recordLength(std::uint64_t headerBytes, ByteSpan bytes, std::uint64_t available);

/// Decodes the value of serial type `serialType` from `body` (which holds at
/// least serialTypeBodyLength(serialType) bytes).
RecordValue decodeValue(std::uint64_t serialType, const std::uint8_t* body);

/// Decodes a complete record (header-length varint, serial types, body) from
/// `payload` into `out` (one value per serial type; cleared first). False when
/// the header is malformed or the body does not fit in `payload`.
/// `headerLength` receives the header-length varint's value.
///
/// `valueLimit` (here and below): only the values of columns [0, valueLimit)
/// are built, so `out` holds at most that many. The columns past it are still
/// checked (a valid serial type, a body that fits), so whether a record is
/// accepted does not depend on the limit. `wanted`, when given, holds one
/// byte per column below the limit: a column whose byte is 0 is not decoded
/// and reads as lost (isLost()).
bool decodeRecord(ByteSpan payload, std::vector<RecordValue>& out, std::uint64_t& headerLength,
                  std::uint32_t valueLimit = kAllColumns, const std::uint8_t* wanted = nullptr);

/// The result of decoding a headerless candidate.
struct HeaderlessRecord {
    /// 0, or 1 when the first byte was not 0 and column 0's serial type was
    /// taken as lost (out[0] is then a null value with kLostSerialType).
    std::uint32_t firstColumn = 0;
    /// Bytes of serial types read.
    std::uint64_t serialTypeBytes = 0;
    /// Bytes from the first serial type read to the end of the body.
    std::uint64_t length = 0;
};

/// Decodes a candidate of `columnCount` columns that starts at a serial type:
/// when the first byte is 0, `columnCount` serial types from column 0 follow;
/// otherwise column 0's serial type is lost and `columnCount` - 1 serial types
/// from column 1 follow. The body starts right after them and must fit in
/// `bytes`; serial types 10 and 11 reject the candidate. `out` gets
/// `columnCount` values. False when the candidate is not a record.
bool decodeHeaderless(ByteSpan bytes, std::uint32_t columnCount, std::vector<RecordValue>& out,
                      HeaderlessRecord& info, std::uint32_t valueLimit = kAllColumns,
                      const std::uint8_t* wanted = nullptr);

/// Column 0 of a candidate whose serial type was lost: the width of its body,
/// which still leads the record's body, and its serial type when the free
/// space it was found in tells it (kLostSerialType when not: the value then
/// reads as lost).
struct LostColumn {
    std::uint32_t width = 0;
    std::uint64_t serialType = kLostSerialType;
};

/// The same, with the first column known instead of judged by the first byte:
/// `firstColumn` 0 reads `columnCount` serial types from column 0, 1 reads
/// `columnCount` - 1 from column 1 (column 0's serial type lost; its body is
/// `lost.width` bytes at the start of the body, decoded when its serial type
/// is known).
bool decodeHeaderless(ByteSpan bytes, std::uint32_t columnCount, std::uint32_t firstColumn,
                      std::vector<RecordValue>& out, HeaderlessRecord& info,
                      std::uint32_t valueLimit = kAllColumns, const std::uint8_t* wanted = nullptr,
                      LostColumn lost = {});

} // namespace orvelle
