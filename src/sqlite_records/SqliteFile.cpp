#include "sqlite_records/SqliteFile.h"

#include "sqlite_records/ExactRead.h"

#include "core/Text.h"
#include "sqlite_records/BtreePage.h"
#include "sqlite_records/BtreeWalker.h"
#include "sqlite_records/TableSchema.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orvelle {

namespace {

// No record of a SQLite database is longer than this (the library's own
// default limit); a longer payload length is taken as damage.
constexpr std::uint64_t kMaxPayloadLength = 1'000'000'000;
// The smallest usable page the file format allows.
constexpr std::uint32_t kMinUsableSize = 480;

bool isPowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

} // namespace

Status SqliteFile::open(const std::filesystem::path& path, const LogOptions& log, platform::LinkRule links) {
    close();
    std::error_code ec;
    if (!m_file.open(path, ec, links)) {
        if (ec == std::errc::no_such_file_or_directory) return kStatusFileMissing;
        return ec.value() != 0 ? ec.value() : kStatusInvalid;
    }
    m_fileSize = m_file.size(ec);
    if (ec) {
        close();
        return ec.value();
    }
    std::array<std::uint8_t, kFileHeaderSize> header{};
    const std::size_t got = m_file.readAt(0, header.data(), header.size(), ec);
    if (got < kMagicSize ||
        !equalsIgnoreCase(std::string_view(reinterpret_cast<const char*>(header.data()), kMagicSize - 1),
                          std::string_view(kSqliteMagic, kMagicSize - 1)) ||
        header[kMagicSize - 1] != 0) {
        close();
        return kStatusInvalid;
    }
    std::uint32_t pageSize = readBigEndian16(header.data() + kHeaderPageSizeOffset);
    if (pageSize == 1) pageSize = kLargestPageSize;
    const std::uint32_t reserved = header[kHeaderReservedOffset];
    if (!isPowerOfTwo(pageSize) || pageSize < kSmallestPageSize || pageSize - reserved < kMinUsableSize) {
        close();
        return kStatusInvalid;
    }
    m_pageSize = pageSize;
    m_usableSize = pageSize - reserved;
    openLog(path, log, links);
    // The log may hold a newer first page, with another freelist.
    if (m_log.committedOffset(0) != 0 && readAt(0, header.size(), header.data()) != kStatusOk) m_log.close();
    readFreelist(readBigEndian32(header.data() + kHeaderFreelistTrunkOffset));
    return kStatusOk;
}

void SqliteFile::openLog(const std::filesystem::path& database, const LogOptions& log,
                         platform::LinkRule links) {
    if (!log.read) return;
    std::filesystem::path logPath = log.path;
    if (logPath.empty()) {
        logPath = database;
        logPath += "-wal";
    }
    // A missing log is the ordinary case; an unusable one is left out (its
    // problem stays for the caller to show).
    if (m_log.open(logPath, m_pageSize, links) == kStatusOk)
        m_log.limitDatabasePages((m_fileSize + m_pageSize - 1) / m_pageSize);
}

Status SqliteFile::readLogFrame(const LogFrame& frame, std::vector<std::uint8_t>& buffer) const {
    buffer.resize(m_pageSize);
    return m_log.readAt(frame.offset, m_pageSize, buffer.data());
}

void SqliteFile::close() {
    m_file.close();
    m_log.close();
    m_fileSize = 0;
    m_pageSize = 0;
    m_usableSize = 0;
    m_freelistPages.clear();
    m_freelistTrunks.clear();
}

std::uint64_t SqliteFile::pageCount() const {
    if (m_pageSize == 0) return 0;
    if (m_log.hasCommit()) return m_log.databasePages();
    return (m_fileSize + m_pageSize - 1) / m_pageSize;
}

Status SqliteFile::readAt(std::uint64_t offset, std::size_t length, void* buffer) const {
    if (!m_file.isOpen()) return kStatusInvalid;
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (!m_log.hasCommit()) return readFileAt(offset, length, out);
    // Page by page: a page the log holds comes from its latest committed
    // frame; runs of the others are read from the file at once.
    const std::uint64_t end = std::uint64_t(m_log.databasePages()) * m_pageSize;
    if (offset > end || length > end - offset) return kStatusShortRead;
    const auto logged = [this](std::uint64_t at) {
        return m_log.committedOffset(static_cast<std::uint32_t>(at / m_pageSize));
    };
    std::size_t done = 0;
    while (done < length) {
        const std::uint64_t at = offset + done;
        const std::size_t inPage = static_cast<std::size_t>(at % m_pageSize);
        std::size_t take = std::min<std::size_t>(length - done, m_pageSize - inPage);
        Status st;
        if (const std::uint64_t frame = logged(at); frame != 0) {
            st = m_log.readAt(frame + inPage, take, out + done);
        } else {
            while (done + take < length && logged(at + take) == 0)
                take += std::min<std::size_t>(length - done - take, m_pageSize);
            st = readFileAt(at, take, out + done);
        }
        if (st != kStatusOk) return st;
        done += take;
    }
    return kStatusOk;
}

Status SqliteFile::readFileAt(std::uint64_t offset, std::size_t length, std::uint8_t* out) const {
    return readExactly(m_file, offset, length, out);
}

Status SqliteFile::readPage(std::uint32_t pageIndex, std::vector<std::uint8_t>& buffer) const {
    if (!m_file.isOpen()) return kStatusInvalid;
    buffer.resize(m_pageSize);
    return readAt(std::uint64_t(pageIndex) * m_pageSize, m_pageSize, buffer.data());
}

void SqliteFile::readFreelist(std::uint32_t firstTrunk) {
    const std::uint64_t pages = pageCount();
    std::vector<bool> seen(static_cast<std::size_t>(pages), false);
    std::vector<std::uint8_t> buffer;
    const std::uint32_t maxLeaves = (m_usableSize - 8) / 4;
    std::uint32_t trunk = firstTrunk;
    // Every trunk is a page of the file seen once, so the walk ends.
    while (trunk != 0 && trunk <= pages && !seen[trunk - 1]) {
        seen[trunk - 1] = true;
        if (readPage(trunk - 1, buffer) != kStatusOk) break;
        m_freelistTrunks.push_back(trunk - 1);
        const std::uint32_t next = readBigEndian32(buffer.data());
        const std::uint32_t leaves = std::min(readBigEndian32(buffer.data() + 4), maxLeaves);
        for (std::uint32_t i = 0; i < leaves; ++i) {
            const std::uint32_t leaf = readBigEndian32(buffer.data() + 8 + 4 * std::size_t(i));
            if (leaf == 0 || leaf > pages || seen[leaf - 1]) continue;
            seen[leaf - 1] = true;
            m_freelistPages.push_back(leaf - 1);
        }
        trunk = next;
    }
}

std::uint32_t SqliteFile::expectedColumnCount(std::string_view name) {
    struct Rule {
        std::string_view table;
        std::uint32_t columns;
    };
    static constexpr Rule kFixed[] = {
        {"ZNOTEBODY", 7},
        {"ZNOTE", 19},
        {"handle", 5},
        {"attachment", 9},
        {"message_attachment_join", 2},
        {"call", 13},
        {"Friend", 13},
        {"tb_c2cTables", 1},
        {"ZWACHATSESSION", 25},
        {"ZWAGROUPMEMBER", 13},
        {"ZWAMEDIAITEM", 24},
        {"ZCALLRECORD", 17},
        {"ZWACONTACT", 11},
        {"ZWAPHONE", 9},
    };
    std::uint32_t count = 0;
    if (equalsIgnoreCase(name, "message")) {
        count = static_cast<std::uint32_t>(std::max(0, m_state.messageColumns));
    } else if (equalsIgnoreCase(name, "ABPersonFullTextSearch_content")) {
        count = m_state.addressBookHeaderBytes > 25 ? 25 : 24;
    } else if (equalsIgnoreCase(name, "ZWAMESSAGE")) {
        count = static_cast<std::uint32_t>(std::max(0, m_state.whatsAppMessageColumns));
    } else if (name.substr(0, 5) == "Chat_" && name.size() >= 5) {
        count = 9;
    } else if (name.size() >= 9 && name.substr(0, 9) == "tb_c2cMsg") {
        count = 50;
    } else {
        for (const Rule& rule : kFixed)
            if (equalsIgnoreCase(name, rule.table)) {
                count = rule.columns;
                break;
            }
    }
    m_currentColumnCount = count;
    return count;
}

Status SqliteFile::findTableRoots(std::string_view tableName, ChildPageMap& roots) const {
    std::vector<SchemaEntry> schema;
    const Status st = readSchema(*this, schema);
    for (const SchemaEntry& entry : schema) {
        if (entry.rootPage == 0) continue;
        if (equalsIgnoreCase(entry.name, tableName) || equalsIgnoreCase(entry.tableName, tableName))
            roots.emplace(entry.rootPage - 1, -1);
    }
    return st;
}

Status SqliteFile::collectLeafCells(ByteSpan page, std::uint32_t pageIndex, CellOffsetMap& out) const {
    BtreeWalker walker(*this);
    return walker.walk(page, pageIndex, [&out](const BtreePage& leaf) {
        out[leaf.index()] = leaf.cellPointers();
        return kStatusOk;
    });
}

std::uint64_t SqliteFile::localPayloadLength(std::uint64_t payloadLength) const {
    const std::uint64_t usable = m_usableSize;
    const std::uint64_t maxLocal = usable - 35;
    if (payloadLength <= maxLocal) return payloadLength;
    const std::uint64_t minLocal = (usable - 12) * 32 / 255 - 23;
    const std::uint64_t k = minLocal + (payloadLength - minLocal) % (usable - 4);
    return k <= maxLocal ? k : minLocal;
}

Status SqliteFile::readCellPayload(ByteSpan page, std::uint32_t pageIndex, std::size_t cellOffset,
                                   CellPayload& out) const {
    out.payloadLength = 0;
    out.rowid = 0;
    out.cellEnd = 0;
    out.overflowed = false;
    out.complete = false;
    out.payload = {};
    const std::size_t usable = std::min<std::size_t>(m_usableSize, page.size());
    if (cellOffset >= usable) return kStatusInvalid;
    std::size_t pos = cellOffset;
    const Varint length = readVarint(page.data() + pos, usable - pos);
    pos += length.used;
    if (pos >= usable) return kStatusInvalid;
    const Varint rowid = readVarint(page.data() + pos, usable - pos);
    pos += rowid.used;
    out.payloadLength = length.value;
    out.rowid = static_cast<std::int64_t>(rowid.value);
    if (length.value > kMaxPayloadLength) return kStatusInvalid;
    const std::uint64_t local = localPayloadLength(length.value);
    if (local == length.value) {
        if (local > usable - pos) return kStatusInvalid;
        out.payload = page.subspan(pos, static_cast<std::size_t>(local));
        out.cellEnd = static_cast<std::uint32_t>(pos + local);
        out.complete = true;
        return kStatusOk;
    }
    if (local + 4 > usable - pos) return kStatusInvalid;
    out.overflowed = true;
    out.cellEnd = static_cast<std::uint32_t>(pos + local + 4);
    // Gather the payload: the local part, then each overflow page's bytes
    // after its 4-byte link. Every overflow page is visited at most once.
    const std::uint64_t perPage = m_usableSize - 4;
    const std::uint64_t reachable = local + perPage * pageCount();
    out.assembled.clear();
    out.assembled.reserve(static_cast<std::size_t>(std::min(length.value, reachable)));
    out.assembled.insert(out.assembled.end(), page.begin() + pos, page.begin() + pos + local);
    std::uint32_t next = readBigEndian32(page.data() + pos + local);
    std::vector<bool> seen;
    std::vector<std::uint8_t> buffer;
    while (next != 0 && out.assembled.size() < length.value) {
        const std::uint32_t index = next - 1;
        if (index >= pageCount() || index == pageIndex) break;
        if (seen.empty()) seen.assign(static_cast<std::size_t>(pageCount()), false);
        if (seen[index]) break;
        seen[index] = true;
        if (readPage(index, buffer) != kStatusOk) break;
        const std::uint64_t take = std::min<std::uint64_t>(perPage, length.value - out.assembled.size());
        out.assembled.insert(out.assembled.end(), buffer.begin() + 4, buffer.begin() + 4 + take);
        next = readBigEndian32(buffer.data());
    }
    out.complete = out.assembled.size() == length.value;
    out.payload = ByteSpan(out.assembled.data(), out.assembled.size());
    return kStatusOk;
}

std::int64_t SqliteFile::countRecordColumns(ByteSpan page, std::uint32_t pageIndex) const {
    const BtreePage view(page, pageIndex, m_usableSize);
    const std::vector<std::uint16_t> cells = view.cellPointers();
    if (cells.empty()) return -1;
    CellPayload payload;
    if (readCellPayload(page, pageIndex, cells.front(), payload) != kStatusOk) return -1;
    const Varint header = readVarint(payload.payload);
    if (header.used == 0 || header.value < header.used || header.value > payload.payload.size()) return -1;
    std::int64_t count = 0;
    std::size_t pos = header.used;
    while (pos < header.value) {
        const Varint type =
            readVarint(payload.payload.data() + pos, static_cast<std::size_t>(header.value) - pos);
        pos += type.used;
        ++count;
    }
    return count;
}

} // namespace orvelle
