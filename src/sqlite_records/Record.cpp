#include "sqlite_records/Record.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace orvelle {

std::uint64_t serialTypesLength(ByteSpan bytes, std::uint64_t count) {
    std::uint64_t pos = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (pos >= bytes.size()) return 0;
        const Varint v = readVarint(bytes.data() + pos, bytes.size() - pos);
        if (v.used == 0) return 0;
        // A varint cut off by the end of the bytes is a fault too.
        if ((bytes[pos + v.used - 1] & 0x80) != 0 && v.used < kMaxVarintLength) return 0;
        pos += v.used;
    }
    return pos;
}

std::uint64_t recordLength(std::uint64_t headerBytes, ByteSpan bytes, std::uint64_t available) {
    if (headerBytes > bytes.size()) return available + 1;
    std::uint64_t length = headerBytes;
    std::uint64_t pos = 0;
    while (pos < headerBytes) {
        const Varint v = readVarint(bytes.data() + pos, headerBytes - pos);
        if (v.used == 0) break;
        pos += v.used;
        const std::uint64_t width = serialTypeBodyLength(v.value);
        if (width > available) return available + 1;
        length += width;
        if (length > available) return length;
    }
    return length;
}

RecordValue decodeValue(std::uint64_t serialType, const std::uint8_t* body) {
    RecordValue value;
    value.serialType = serialType;
    if (serialType >= 1 && serialType <= 6) {
        const std::size_t width = static_cast<std::size_t>(serialTypeBodyLength(serialType));
        std::uint64_t raw = 0;
        for (std::size_t i = 0; i < width; ++i)
            raw = (raw << 8) | body[i];
        const unsigned shift = static_cast<unsigned>(64 - 8 * width);
        // Sign-extend from the value's width.
        value.integer = static_cast<std::int64_t>(raw << shift) >> shift;
        value.kind = ValueKind::integer;
    } else if (serialType == kSerialFloat) {
        std::uint64_t raw = 0;
        for (std::size_t i = 0; i < 8; ++i)
            raw = (raw << 8) | body[i];
        value.real = std::bit_cast<double>(raw);
        value.kind = ValueKind::real;
    } else if (serialType == kSerialZero || serialType == kSerialOne) {
        value.integer = serialType == kSerialOne ? 1 : 0;
        value.kind = ValueKind::integer;
    } else if (serialType >= kSerialFirstBlob) {
        const std::size_t width = static_cast<std::size_t>(serialTypeBodyLength(serialType));
        value.bytes = std::string_view(reinterpret_cast<const char*>(body), width);
        value.kind = (serialType & 1) ? ValueKind::text : ValueKind::blob;
    }
    return value;
}

namespace {

// Reads serial types from `types` and the values they describe from `body` (of
// `bodyAvailable` bytes), appending the values of columns below `valueLimit`
// to `out`; the first type read is column `firstColumn`. With `count` given,
// exactly that many types must be there; without (kAllTypes), every type of
// `types` is read. Every type is checked, whether its value is built or not.
constexpr std::uint64_t kAllTypes = ~std::uint64_t(0);

bool decodeColumns(ByteSpan types, std::uint64_t count, const std::uint8_t* body, std::uint64_t bodyAvailable,
                   std::uint32_t firstColumn, std::uint32_t valueLimit, const std::uint8_t* wanted,
                   std::vector<RecordValue>& out, std::uint64_t& bodyLength) {
    const std::uint8_t* const data = types.data();
    const std::size_t size = types.size();
    std::size_t pos = 0;
    std::uint64_t bodyPos = 0;
    // The next serial type and its body width; false when the record ends
    // (ok stays true when no count was given) or is not valid.
    bool ok = true;
    const auto next = [&](std::uint64_t& serialType, std::uint64_t& width) {
        if (pos >= size) {
            ok = count == kAllTypes;
            return false;
        }
        if (data[pos] < 0x80) {
            serialType = data[pos++];
        } else {
            const Varint v = readVarint(data + pos, size - pos);
            pos += v.used;
            serialType = v.value;
        }
        width = serialTypeBodyLength(serialType);
        if (!isValidSerialType(serialType) || width > bodyAvailable - bodyPos) {
            ok = false;
            return false;
        }
        return true;
    };
    // Columns whose values are built (each serial type takes a byte at
    // least), then the columns that are only checked.
    const std::uint64_t built =
        valueLimit > firstColumn ? std::min<std::uint64_t>({valueLimit - firstColumn, count, size}) : 0;
    // `out` keeps the elements of the record decoded before (only a longer
    // record adds elements); every value taken is overwritten whole.
    const std::size_t base = std::min(firstColumn, valueLimit);
    if (out.size() < base + built) out.resize(base + static_cast<std::size_t>(built));
    RecordValue* values = out.data() + base;
    RecordValue skipped;
    skipped.serialType = kLostSerialType;
    std::uint64_t i = 0;
    std::uint64_t serialType = 0;
    std::uint64_t width = 0;
    for (; i < built && next(serialType, width); ++i) {
        if (wanted && !wanted[firstColumn + i])
            values[i] = skipped;
        else
            values[i] = decodeValue(serialType, body + bodyPos);
        bodyPos += width;
    }
    out.resize(base + static_cast<std::size_t>(i));
    if (i < built) {
        bodyLength = bodyPos;
        return ok;
    }
    // The rest is only checked. One-byte serial types (nearly all) go by table
    // and the body is checked against the record once at the end: widths only
    // add up, so a body that overruns on the way still overruns there.
    for (; i < count && pos < size; ++i) {
        const std::uint8_t oneByteWidth = kFirstByteWidth[data[pos]];
        if (oneByteWidth < kLongSerialType) {
            bodyPos += oneByteWidth;
            ++pos;
            continue;
        }
        if (oneByteWidth == kBadSerialType || bodyPos > bodyAvailable || !next(serialType, width))
            return false;
        bodyPos += width;
    }
    if (i < count && count != kAllTypes) return false;
    if (bodyPos > bodyAvailable) return false;
    bodyLength = bodyPos;
    return true;
}

} // namespace

bool decodeRecord(ByteSpan payload, std::vector<RecordValue>& out, std::uint64_t& headerLength,
                  std::uint32_t valueLimit, const std::uint8_t* wanted) {
    const Varint hl = readVarint(payload);
    if (hl.used == 0 || hl.value < hl.used || hl.value > payload.size()) {
        out.clear();
        return false;
    }
    headerLength = hl.value;
    const ByteSpan types = payload.subspan(hl.used, static_cast<std::size_t>(hl.value) - hl.used);
    std::uint64_t bodyLength = 0;
    return decodeColumns(types, kAllTypes, payload.data() + hl.value, payload.size() - hl.value, 0,
                         valueLimit, wanted, out, bodyLength);
}

bool decodeHeaderless(ByteSpan bytes, std::uint32_t columnCount, std::vector<RecordValue>& out,
                      HeaderlessRecord& info, std::uint32_t valueLimit, const std::uint8_t* wanted) {
    const std::uint32_t firstColumn = !bytes.empty() && bytes[0] != 0 ? 1 : 0;
    return decodeHeaderless(bytes, columnCount, firstColumn, out, info, valueLimit, wanted);
}

bool decodeHeaderless(ByteSpan bytes, std::uint32_t columnCount, std::uint32_t firstColumn,
                      std::vector<RecordValue>& out, HeaderlessRecord& info, std::uint32_t valueLimit,
                      const std::uint8_t* wanted, LostColumn lost) {
    info = {};
    if (columnCount == 0 || bytes.empty() || firstColumn > 1) {
        out.clear();
        return false;
    }
    std::uint64_t count = columnCount;
    if (firstColumn == 1) {
        info.firstColumn = 1;
        --count;
        if (valueLimit == 0) {
            out.clear();
        } else {
            RecordValue lost;
            lost.serialType = kLostSerialType;
            if (out.empty()) out.resize(1);
            out[0] = lost;
        }
    }
    const std::uint64_t typeBytes = count == 0 ? 0 : serialTypesLength(bytes, count);
    if (count != 0 && typeBytes == 0) {
        out.clear();
        return false;
    }
    info.serialTypeBytes = typeBytes;
    // Column 0's body (lost serial type) leads the body.
    if (firstColumn == 0) lost = {};
    const std::uint64_t leading = lost.width;
    const bool lostKnown = lost.serialType != kLostSerialType;
    if (typeBytes + leading > bytes.size() ||
        (lostKnown && (!isValidSerialType(lost.serialType) || serialTypeBodyLength(lost.serialType) != leading))) {
        out.clear();
        return false;
    }
    const std::uint8_t* body = bytes.data() + typeBytes;
    if (lostKnown && valueLimit != 0 && (!wanted || wanted[0])) out[0] = decodeValue(lost.serialType, body);
    std::uint64_t bodyLength = 0;
    if (!decodeColumns(bytes.first(static_cast<std::size_t>(typeBytes)), count, body + leading,
                       bytes.size() - typeBytes - leading, firstColumn, valueLimit, wanted, out, bodyLength))
        return false;
    info.length = typeBytes + leading + bodyLength;
    return true;
}

} // namespace orvelle
