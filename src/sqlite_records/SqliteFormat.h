#pragma once
/// The bytes of a SQLite 3 database file that the page reader relies on, and
/// the small decoding helpers (big-endian numbers, variable-length integers,
/// serial types) every part of the record engine shares.
///
/// File header (first 100 bytes of page 1):
///
/// | offset | size | meaning                                                    |
/// |--------|------|------------------------------------------------------------|
/// | 0      | 16   | "SQLite format 3\0" (compared ignoring case)               |
/// | 16     | 2    | page size, big-endian; 1 means 65,536                      |
/// | 20     | 1    | reserved bytes at the end of every page                    |
/// | 32     | 4    | first freelist trunk page (1-based; 0 = no freelist)       |
///
/// B-tree page header (at byte 100 on page 1, at byte 0 on every other page):
///
/// | offset | size | meaning                                                    |
/// |--------|------|------------------------------------------------------------|
/// | 0      | 1    | page type: 13 table leaf, 5 table interior (2, 10 index)   |
/// | 1      | 2    | first freeblock (0 = none)                                 |
/// | 3      | 2    | number of cells                                            |
/// | 5      | 2    | start of the cell content area (0 means 65,536)            |
/// | 7      | 1    | fragmented free bytes                                      |
/// | 8      | 4    | right-most child page (interior pages only)                |
///
/// The cell pointer array follows the header (8 bytes on leaves, 12 on interior
/// pages): one big-endian 16-bit offset per cell.
///
/// Table leaf cell: payload length varint, rowid varint, payload; when the
/// payload does not fit locally, the local part is followed by the 4-byte
/// number of the first overflow page. Table interior cell: 4-byte left child
/// page number, integer key varint.
///
/// Freeblock: 2-byte offset of the next freeblock (0 ends the chain), 2-byte
/// size of this freeblock including those 4 bytes.
///
/// Overflow page: 4-byte next overflow page (0 = last), then payload bytes up
/// to the usable end of the page.
///
/// Freelist trunk page: 4-byte next trunk page, 4-byte leaf count, then the
/// leaf page numbers (at most (usableSize - 8) / 4 of them).
///
/// Record (payload): header-length varint (counting itself), one serial-type
/// varint per column, then the column values back to back.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvelle {

using ByteSpan = std::span<const std::uint8_t>;

constexpr std::size_t kFileHeaderSize = 100;
constexpr std::size_t kMagicSize = 16;
constexpr char kSqliteMagic[kMagicSize + 1] = "SQLite format 3";
constexpr std::size_t kHeaderPageSizeOffset = 16;
constexpr std::size_t kHeaderReservedOffset = 20;
constexpr std::size_t kHeaderFreelistTrunkOffset = 32;
/// A page size field of 1 stands for this page size.
constexpr std::uint32_t kLargestPageSize = 65536;
constexpr std::uint32_t kSmallestPageSize = 512;

constexpr std::uint8_t kPageTypeTableInterior = 5;
constexpr std::uint8_t kPageTypeTableLeaf = 13;
constexpr std::uint8_t kPageTypeIndexInterior = 2;
constexpr std::uint8_t kPageTypeIndexLeaf = 10;
constexpr std::size_t kLeafHeaderSize = 8;
constexpr std::size_t kInteriorHeaderSize = 12;
constexpr std::size_t kPageFirstFreeblockOffset = 1;
constexpr std::size_t kPageCellCountOffset = 3;
constexpr std::size_t kPageContentStartOffset = 5;
constexpr std::size_t kPageRightChildOffset = 8;
constexpr std::size_t kFreeblockHeaderSize = 4;
constexpr std::size_t kMaxVarintLength = 9;

/// Serial types of the record format.
constexpr std::uint64_t kSerialNull = 0;
constexpr std::uint64_t kSerialFloat = 7;
constexpr std::uint64_t kSerialZero = 8;
constexpr std::uint64_t kSerialOne = 9;
constexpr std::uint64_t kSerialFirstBlob = 12;
constexpr std::uint64_t kSerialFirstText = 13;

/// Big-endian 16-bit value at `p` (caller checks the bounds).
inline std::uint32_t readBigEndian16(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 8) | p[1];
}
/// Big-endian 32-bit value at `p` (caller checks the bounds).
inline std::uint32_t readBigEndian32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

/// One decoded variable-length integer: its value and the bytes it used
/// (0 when no byte was available).
struct Varint {
    std::uint64_t value = 0;
    std::size_t used = 0;
};

/// Decodes a varint from at most `available` bytes at `bytes`: the low 7 bits
/// of each of up to eight bytes (most significant group first) and all 8 bits
/// of a ninth. Decoding stops after `available` bytes.
inline Varint readVarint(const std::uint8_t* bytes, std::size_t available) {
    Varint v;
    while (v.used < available && v.used < kMaxVarintLength) {
        const std::uint8_t b = bytes[v.used++];
        if (v.used == kMaxVarintLength) {
            v.value = (v.value << 8) | b;
            break;
        }
        v.value = (v.value << 7) | (b & 0x7f);
        if ((b & 0x80) == 0) break;
    }
    return v;
}
inline Varint readVarint(ByteSpan bytes) {
    return readVarint(bytes.data(), bytes.size());
}

/// Width in the record body of a value of serial type `serialType` (10 and 11,
/// which are not used in database files, have width 0).
constexpr std::uint64_t serialTypeBodyLength(std::uint64_t serialType) {
    constexpr std::uint8_t kFixed[12] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, 0, 0};
    if (serialType < 12) return kFixed[serialType];
    return (serialType - 12) / 2;
}

/// True for the serial types that may stand in a database file (not 10, 11).
constexpr bool isValidSerialType(std::uint64_t serialType) {
    return serialType != 10 && serialType != 11;
}

/// kFirstByteWidth[b] for the first byte b of a serial-type varint: the body
/// width when the type fits in that byte, kLongSerialType when the varint goes
/// on, kBadSerialType for the types no database holds (10, 11).
constexpr std::uint8_t kLongSerialType = 0xfe;
constexpr std::uint8_t kBadSerialType = 0xff;
inline constexpr std::array<std::uint8_t, 0x100> kFirstByteWidth = [] {
    std::array<std::uint8_t, 0x100> widths{};
    for (std::uint64_t byte = 0; byte < widths.size(); ++byte)
        widths[byte] = byte >= 0x80               ? kLongSerialType
                       : !isValidSerialType(byte) ? kBadSerialType
                                                  : static_cast<std::uint8_t>(serialTypeBodyLength(byte));
    return widths;
}();

} // namespace orvelle
