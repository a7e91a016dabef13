#include "sqlite_records/decoders/RowValues.h"

#include "core/Text.h"
#include "sqlite_records/TableScan.h"

#include <cmath>
#include <cstring>

namespace orvelle {

namespace {
/// From this magnitude on an Apple time counts nanoseconds (10^11 seconds lie
/// more than 3,000 years after 2001).
constexpr std::int64_t kNanosecondThreshold = 100'000'000'000;
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
} // namespace

const RecordValue* columnValue(const Row& row, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= row.values.size()) return nullptr;
    const RecordValue& value = row.values[static_cast<std::size_t>(position)];
    return value.isLost() ? nullptr : &value;
}

namespace {

/// True when `bytes` is plain ASCII without a zero byte (most device texts):
/// such a text is usable without a closer look. Eight bytes at a time.
bool isPlainAscii(std::string_view bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        // A high bit set, or a zero byte (which borrows into its high bit).
        if ((word & kHighBits) != 0 || ((word - kOnes) & ~word & kHighBits) != 0) return false;
    }
    for (; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0 || c >= 0x80) return false;
    }
    return true;
}

} // namespace

bool isUsableText(std::string_view bytes) {
    if (isPlainAscii(bytes)) return true;
    return bytes.find('\0') == std::string_view::npos && isAcceptableText(bytes);
}

TextField readText(const Row& row, int position, std::string& out) {
    out.clear();
    const RecordValue* value = columnValue(row, position);
    if (!value || !value->isText()) return TextField::absent;
    if (!isUsableText(value->bytes)) return TextField::rejected;
    out.assign(value->bytes);
    return TextField::ok;
}

std::optional<std::int64_t> readKey(const Row& row, int position) {
    const RecordValue* value = columnValue(row, position);
    // Any integer: SQLite stores the values 0 and 1 as the constants of serial
    // types 8 and 9, so the first row of a table is referred to that way.
    if (!value || !value->isInteger()) return std::nullopt;
    return value->integer;
}

std::optional<std::int64_t> readNumber(const Row& row, int position) {
    const RecordValue* value = columnValue(row, position);
    if (!value) return std::nullopt;
    if (value->isInteger()) return value->integer;
    if (value->kind == ValueKind::real) {
        // Out-of-range and NaN floats are not numbers of any device field.
        if (!std::isfinite(value->real) || std::fabs(value->real) >= 9.2e18) return std::nullopt;
        return static_cast<std::int64_t>(value->real);
    }
    return std::nullopt;
}

bool holdsNumber(const Row& row, int position) {
    const RecordValue* value = columnValue(row, position);
    return value && (value->isInteger() || value->kind == ValueKind::real);
}

std::optional<std::int64_t> readAppleSeconds(const Row& row, int position) {
    const RecordValue* value = columnValue(row, position);
    if (!value || value->serialType == kSerialZero || value->serialType == kSerialOne) return std::nullopt;
    auto seconds = readNumber(row, position);
    if (!seconds) return std::nullopt;
    if (*seconds >= kNanosecondThreshold || *seconds <= -kNanosecondThreshold)
        *seconds /= kNanosecondsPerSecond;
    return seconds;
}

} // namespace orvelle
